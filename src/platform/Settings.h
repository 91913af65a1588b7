#pragma once

#include <QString>
#include <QVariant>

/// The settings keys of section "Settings". Every key the program reads or writes is named here.
namespace SettingsKey {
inline const QString DVM1 = QStringLiteral("DVM1");
inline const QString Interface = QStringLiteral("DVM1_Interface");
inline const QString CommPort = QStringLiteral("DVM1_CommPort");
inline const QString GPIBPort = QStringLiteral("DVM1_GPIBPort");
inline const QString ScannerCommPort = QStringLiteral("ScannerCommPort");
inline const QString USBName = QStringLiteral("USB_Name");
inline const QString USBSerialNumber = QStringLiteral("USB_SerialNumber");
inline const QString EthernetIP = QStringLiteral("Ethernet_IP");
inline const QString EthernetPort = QStringLiteral("Ethernet_Port");
inline const QString EthernetMAC = QStringLiteral("Ethernet_MAC");
inline const QString EthernetDiscovery = QStringLiteral("Ethernet_Discovery");
inline const QString MainLeft = QStringLiteral("MainLeft");
inline const QString MainTop = QStringLiteral("MainTop");
inline const QString DefaultSpec = QStringLiteral("DefaultSpec");
inline const QString DefaultUncert = QStringLiteral("DefaultUncert");
inline const QString LanguageDatabase = QStringLiteral("LanguageDatabase");
inline const QString Language = QStringLiteral("Language");
/// "0" turns off the reading back of the rows a factor save wrote.
inline const QString VerifyWrites = QStringLiteral("VerifyWrites");
/// "SerialPortDevice3" binds port number 3 to a device path (see PortTable).
QString serialPortDevice(int portNumber);
} // namespace SettingsKey

/**
 * @brief The per-user settings store, section "Settings", with one table of defaults.
 *
 * Keys are matched without regard to case on every platform, as the Windows registry does:
 * "Defaultuncert" and "DefaultUncert" name one value, and a write replaces every spelling.
 */
class Settings
{
public:
    /// The program's own title, which names the store.
    static QString applicationTitle();

    /// Chooses the store; the simulator mode uses its own so a real installation is never touched.
    static void setScope(const QString &applicationName);
    static QString scope();
    /// The file the store keeps its values in (on Linux an .conf file in the user's config folder).
    static QString storePath();

    /// The stored text, or the key's default when absent.
    static QString value(const QString &key);
    static QString value(const QString &key, const QString &fallback);
    /// The stored value as a whole number; the default (or fallback) when absent or not a number.
    static int intValue(const QString &key);
    static int intValue(const QString &key, int fallback);
    static bool contains(const QString &key);

    /// Writes the value; false when the store could not be written.
    static bool setValue(const QString &key, const QString &value);
    static void remove(const QString &key);

    /// The default of a known key ("" for keys without one).
    static QString defaultValue(const QString &key);
};
