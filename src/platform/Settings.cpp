#include "platform/Settings.h"

#include <QHash>
#include <QSettings>

namespace {

const QString kOrganization = QStringLiteral("Quorvadine");
const QString kSection = QStringLiteral("Settings");

QString &currentScope()
{
    static QString scope = Settings::applicationTitle();
    return scope;
}

const QHash<QString, QString> &defaults()
{
    static const QHash<QString, QString> table = {
        {SettingsKey::DVM1.toLower(), QStringLiteral("5200")},
        {SettingsKey::Interface.toLower(), QStringLiteral("RS232")},
        {SettingsKey::CommPort.toLower(), QStringLiteral("1")},
        {SettingsKey::GPIBPort.toLower(), QStringLiteral("1")},
        {SettingsKey::ScannerCommPort.toLower(), QStringLiteral("1")},
        {SettingsKey::EthernetPort.toLower(), QStringLiteral("0")},
        {SettingsKey::EthernetDiscovery.toLower(), QString()},
        {SettingsKey::Language.toLower(), QStringLiteral("English")},
        {SettingsKey::DefaultSpec.toLower(), QStringLiteral("default.spec")},
        {SettingsKey::DefaultUncert.toLower(), QStringLiteral("default.uncert")},
        {SettingsKey::VerifyWrites.toLower(), QStringLiteral("1")},
    };
    return table;
}

struct Store
{
    Store() : settings(QSettings::NativeFormat, QSettings::UserScope, kOrganization, currentScope())
    {
        settings.beginGroup(kSection);
    }
    /// The spelling under which the key is stored, or an empty string.
    QString storedSpelling(const QString &key)
    {
        if (settings.contains(key))
            return key;
        const QStringList keys = settings.childKeys();
        for (const QString &k : keys) {
            if (k.compare(key, Qt::CaseInsensitive) == 0)
                return k;
        }
        return {};
    }
    /// Removes the key under every spelling it is stored with.
    void removeAllSpellings(const QString &key)
    {
        for (QString spelling = storedSpelling(key); !spelling.isEmpty(); spelling = storedSpelling(key))
            settings.remove(spelling);
    }
    QSettings settings;
};

} // namespace

QString SettingsKey::serialPortDevice(int portNumber)
{
    return QStringLiteral("SerialPortDevice%1").arg(portNumber);
}

QString Settings::applicationTitle()
{
    return QStringLiteral("6400 Series Setup Utility");
}

QString Settings::storePath()
{
    return Store().settings.fileName();
}

void Settings::setScope(const QString &applicationName)
{
    currentScope() = applicationName;
}

QString Settings::scope()
{
    return currentScope();
}

QString Settings::defaultValue(const QString &key)
{
    return defaults().value(key.toLower());
}

QString Settings::value(const QString &key)
{
    return value(key, defaultValue(key));
}

QString Settings::value(const QString &key, const QString &fallback)
{
    Store store;
    const QString spelling = store.storedSpelling(key);
    if (spelling.isEmpty())
        return fallback;
    return store.settings.value(spelling).toString();
}

int Settings::intValue(const QString &key)
{
    return intValue(key, defaultValue(key).toInt());
}

int Settings::intValue(const QString &key, int fallback)
{
    bool ok = false;
    const int v = value(key, QString::number(fallback)).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

bool Settings::contains(const QString &key)
{
    Store store;
    return !store.storedSpelling(key).isEmpty();
}

bool Settings::setValue(const QString &key, const QString &value)
{
    Store store;
    store.removeAllSpellings(key);
    store.settings.setValue(key, value);
    store.settings.sync();
    return store.settings.status() == QSettings::NoError;
}

void Settings::remove(const QString &key)
{
    Store store;
    store.removeAllSpellings(key);
    store.settings.sync();
}
