#include "instrument/serial/PortTable.h"

#include "fixtures/PtyPeer.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PortTableTest : public ::testing::Test
{
protected:
    void SetUp() override { Settings::setScope(QStringLiteral("porttable-test")); }
    void TearDown() override
    {
        for (int n = PortTable::kFirstPort; n <= PortTable::kLastPort; ++n)
            Settings::remove(SettingsKey::serialPortDevice(n));
        Settings::setScope(Settings::applicationTitle());
    }
};

#ifndef Q_OS_WIN

/// A device folder of the test's own: kernel devices (plain files standing in for the nodes) and
/// the udev links to them, with the table listing only the kernel devices plugged in here.
class DeviceFolder
{
public:
    DeviceFolder()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("serial/by-id"));
        QDir(m_dir.path()).mkpath(QStringLiteral("serial/by-path"));
    }

    QString root() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    /// Plugs a device in under a kernel name, with the links given ("serial/by-id/usb-A").
    void plug(const QString &kernel, const QStringList &links = {})
    {
        QFile node(path(kernel));
        node.open(QIODevice::WriteOnly);
        m_plugged << kernel;
        for (const QString &link : links)
            linkTo(link, path(kernel));
    }
    void linkTo(const QString &link, const QString &target)
    {
        QFile::remove(path(link));
        QFile::link(target, path(link));
    }
    void unplug(const QString &kernel, const QStringList &links = {})
    {
        QFile::remove(path(kernel));
        m_plugged.removeAll(kernel);
        for (const QString &link : links)
            QFile::remove(path(link));
    }
    void attach(PortTable &table) const
    {
        table.setDeviceSource(SerialDeviceNames(m_dir.path()), [this] {
            QStringList ports;
            for (const QString &kernel : m_plugged)
                ports << path(kernel);
            return ports;
        });
    }

private:
    QTemporaryDir m_dir;
    QStringList m_plugged;
};

TEST_F(PortTableTest, StoredBindingsKeepTheirNumbers)
{
    DeviceFolder dev;
    dev.plug("ttyUSB7");
    Settings::setValue(SettingsKey::serialPortDevice(5), dev.path("ttyUSB7"));
    PortTable table;
    dev.attach(table);
    EXPECT_EQ(table.devicePath(5), dev.path("ttyUSB7"));
    EXPECT_EQ(table.numberOf(dev.path("ttyUSB7")), 5);
    EXPECT_EQ(table.numbers(), QList<int>{5}) << "a stored device is not listed a second time";
}

TEST_F(PortTableTest, ExplicitBindingWinsAndRememberStoresIt)
{
    PtyPeer pty;
    ASSERT_TRUE(pty.isOpen());
    Settings::setValue(SettingsKey::serialPortDevice(2), "/dev/ttyS9");
    PortTable table;
    table.bind(2, pty.devicePath());
    EXPECT_EQ(table.devicePath(2), pty.devicePath());
    EXPECT_TRUE(table.remember(2));
    PortTable later;
    EXPECT_EQ(later.devicePath(2), pty.devicePath());
}

TEST_F(PortTableTest, RememberingADeviceUnderANewNumberDropsItsOldNumber)
{
    DeviceFolder dev;
    dev.plug("ttyUSB0", {"serial/by-id/usb-A"});
    // The old number holds the kernel name, the new one is stored by the stable name: one device.
    Settings::setValue(SettingsKey::serialPortDevice(4), dev.path("ttyUSB0"));
    PortTable table;
    dev.attach(table);
    table.bind(6, dev.path("ttyUSB0"));
    table.remember(6);
    EXPECT_EQ(Settings::value(SettingsKey::serialPortDevice(6), QString()), dev.path("serial/by-id/usb-A"));
    EXPECT_EQ(Settings::value(SettingsKey::serialPortDevice(4), QString()), QString());
    PortTable later;
    dev.attach(later);
    EXPECT_EQ(later.numberOf(dev.path("ttyUSB0")), 6);
    EXPECT_NE(later.devicePath(4), dev.path("ttyUSB0"));
}

TEST_F(PortTableTest, BindDeviceTakesTheLowestFreeNumberOnce)
{
    PortTable table;
    const QList<int> before = table.numbers();
    const int n = table.bindDevice("/dev/pts/77");
    ASSERT_GE(n, PortTable::kFirstPort);
    EXPECT_FALSE(before.contains(n));
    for (int k = PortTable::kFirstPort; k < n; ++k)
        EXPECT_TRUE(before.contains(k)) << k;
    EXPECT_EQ(table.bindDevice("/dev/pts/77"), n);
}

TEST_F(PortTableTest, AutomaticPortsAreNamedByTheirSteadiestLink)
{
    DeviceFolder dev;
    dev.plug("ttyUSB0", {"serial/by-path/pci-0:1", "serial/by-id/usb-A"});
    dev.plug("ttyUSB1", {"serial/by-path/pci-0:2"});
    dev.plug("ttyS0");
    PortTable table;
    dev.attach(table);
    EXPECT_EQ(table.devicePath(1), dev.path("serial/by-id/usb-A"));
    EXPECT_EQ(table.devicePath(2), dev.path("serial/by-path/pci-0:2"));
    EXPECT_EQ(table.devicePath(3), dev.path("ttyS0"));
    EXPECT_EQ(table.kernelName(1), dev.path("ttyUSB0"));
    EXPECT_EQ(table.numberOf(dev.path("ttyUSB1")), 2) << "found by its kernel name too";
}

// Two adapters come back with their kernel names swapped: within the run (the table's own
// automatic numbers) and after a restart (the stored stable names) each keeps its number.
TEST_F(PortTableTest, SwappedKernelNamesKeepTheirNumbers)
{
    for (const bool restart : {false, true}) {
        SCOPED_TRACE(restart ? "after a restart" : "within the run");
        DeviceFolder dev;
        dev.plug("ttyUSB0", {"serial/by-id/usb-A"});
        dev.plug("ttyUSB1", {"serial/by-id/usb-B"});
        PortTable table;
        dev.attach(table);
        ASSERT_EQ(table.devicePath(1), dev.path("serial/by-id/usb-A"));
        ASSERT_EQ(table.devicePath(2), dev.path("serial/by-id/usb-B"));
        if (restart) {
            table.remember(1);
            table.remember(2);
        }

        dev.linkTo("serial/by-id/usb-A", dev.path("ttyUSB1"));
        dev.linkTo("serial/by-id/usb-B", dev.path("ttyUSB0"));
        PortTable fresh;
        PortTable &after = restart ? fresh : table;
        if (restart)
            dev.attach(fresh);
        else
            table.refresh();
        EXPECT_EQ(after.devicePath(1), dev.path("serial/by-id/usb-A"));
        EXPECT_EQ(after.kernelName(1), dev.path("ttyUSB1"));
        EXPECT_EQ(after.devicePath(2), dev.path("serial/by-id/usb-B"));
        EXPECT_EQ(after.kernelName(2), dev.path("ttyUSB0"));
        for (int n = PortTable::kFirstPort; n <= PortTable::kLastPort; ++n)
            Settings::remove(SettingsKey::serialPortDevice(n));
    }
}

TEST_F(PortTableTest, AVanishedDeviceLeavesTheAutomaticPartButAnExplicitBindingStays)
{
    DeviceFolder dev;
    dev.plug("ttyUSB0", {"serial/by-id/usb-A"});
    dev.plug("ttyUSB1", {"serial/by-id/usb-B"});
    dev.plug("ttyUSB2", {"serial/by-id/usb-C"});
    PortTable table;
    table.bind(3, dev.path("ttyUSB2"));
    dev.attach(table);
    table.remember(2);
    ASSERT_EQ(table.numbers(), (QList<int>{1, 2, 3}));

    dev.unplug("ttyUSB0", {"serial/by-id/usb-A"});
    dev.unplug("ttyUSB1", {"serial/by-id/usb-B"});
    dev.unplug("ttyUSB2", {"serial/by-id/usb-C"});
    table.refresh();
    EXPECT_EQ(table.numbers(), QList<int>{3}) << "the automatic and the stored device are gone, the explicit one stays";
    EXPECT_EQ(table.devicePath(3), dev.path("ttyUSB2"));

    // The stored one comes back under another kernel name and takes its number again.
    dev.plug("ttyUSB5", {"serial/by-id/usb-B"});
    table.refresh();
    EXPECT_EQ(table.devicePath(2), dev.path("serial/by-id/usb-B"));
}

// Settings written before stable names hold kernel names; such a port is read as it is and opens,
// and so does a port bound by a link.
TEST_F(PortTableTest, AStoredKernelNameAndALinkBothOpen)
{
    PtyPeer old;
    PtyPeer linked;
    ASSERT_TRUE(old.isOpen() && linked.isOpen());
    DeviceFolder dev;
    dev.linkTo("serial/by-id/usb-L", linked.devicePath());
    Settings::setValue(SettingsKey::serialPortDevice(4), old.devicePath());
    Settings::setValue(SettingsKey::serialPortDevice(7), dev.path("serial/by-id/usb-L"));
    PortTable table;
    table.setDeviceSource(SerialDeviceNames(dev.root()), [] { return QStringList(); });
    EXPECT_EQ(table.devicePath(4), old.devicePath());
    for (int n : {4, 7}) {
        SerialPortControl port(&table);
        port.setPortNumber(n);
        EXPECT_TRUE(port.open()) << n << " " << port.errorString().toStdString();
    }
}
#endif

} // namespace
