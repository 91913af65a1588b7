#pragma once

#include "cli/CliRunner.h"
#include "platform/Settings.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

/// What one in-process run of the tool printed and returned.
struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliResult runTool(const QStringList &arguments)
{
    CliResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.exitCode = runCli(arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

/// Gives a test a settings store of its own, empty of connection settings at the start and at the
/// end (the store may outlive the test process), and puts the previous store back afterwards.
class ScopedSettingsStore
{
public:
    explicit ScopedSettingsStore(const QString &name) : m_previous(Settings::scope())
    {
        Settings::setScope(QStringLiteral("calsetup-cli test ") + name);
        clearConnectionSettings();
    }
    ~ScopedSettingsStore()
    {
        clearConnectionSettings();
        Settings::setScope(m_previous);
    }

private:
    static void clearConnectionSettings()
    {
        for (const QString &key : {SettingsKey::DVM1, SettingsKey::Interface, SettingsKey::CommPort,
                                   SettingsKey::GPIBPort, SettingsKey::USBName, SettingsKey::USBSerialNumber,
                                   SettingsKey::EthernetIP, SettingsKey::EthernetPort, SettingsKey::EthernetMAC})
            Settings::remove(key);
        for (int n = 1; n <= 16; ++n)
            Settings::remove(SettingsKey::serialPortDevice(n));
    }

    QString m_previous;
};
