#pragma once

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimPty.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QWidget>

#include <gtest/gtest.h>

/// A settings store of the test's own, emptied at start and end.
class ScopedAppSettings
{
public:
    ScopedAppSettings() : m_previous(Settings::scope())
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        Settings::setScope(QStringLiteral("calsetup app test %1.%2")
                               .arg(QString::fromLatin1(info->test_suite_name()), QString::fromLatin1(info->name())));
        clear();
    }
    ~ScopedAppSettings()
    {
        clear();
        Settings::setScope(m_previous);
    }

private:
    static void clear()
    {
        for (const QString &key :
             {SettingsKey::DVM1, SettingsKey::Interface, SettingsKey::CommPort, SettingsKey::GPIBPort,
              SettingsKey::ScannerCommPort, SettingsKey::USBName, SettingsKey::USBSerialNumber, SettingsKey::EthernetIP,
              SettingsKey::EthernetPort, SettingsKey::EthernetMAC, SettingsKey::MainLeft, SettingsKey::MainTop,
              SettingsKey::LanguageDatabase, SettingsKey::Language, SettingsKey::VerifyWrites})
            Settings::remove(key);
    }
    QString m_previous;
};

/// The program's parts around one main window: the virtual calibrator on a pseudo-terminal as
/// the only serial port (COM1), virtual time, scripted prompts.
class AppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen());
        session.context().portTable().bind(1, sim.devicePath());
        session.context().portTable().setExplicitOnly(true);
    }

    /// Replaces DVM with a scripted one and returns it.
    ScriptedDVM &useScriptedDvm()
    {
        auto dvm = std::make_unique<ScriptedDVM>();
        ScriptedDVM &ref = *dvm;
        session.setDvm(std::move(dvm));
        return ref;
    }

    template <class T = QAbstractButton>
    static T *control(QWidget &window, const char *name)
    {
        T *found = window.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    /// The rows of a text box.
    static QStringList rows(QWidget &window, const char *name)
    {
        QPlainTextEdit *box = control<QPlainTextEdit>(window, name);
        return box ? box->toPlainText().split(QLatin1Char('\n')) : QStringList();
    }

    ScopedAppSettings settings;
    ScopedFakeClock fake;
    SimPty sim;
    InstrumentSession session;
    ScriptedPrompts prompts;
};
