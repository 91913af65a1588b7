#include "instrument/serial/PortTable.h"
#include "platform/Settings.h"

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
TEST_F(PortTableTest, StoredBindingsKeepTheirNumbers)
{
    Settings::setValue(SettingsKey::serialPortDevice(5), "/dev/ttyUSB7");
    PortTable table;
    EXPECT_EQ(table.devicePath(5), "/dev/ttyUSB7");
    EXPECT_EQ(table.numberOf("/dev/ttyUSB7"), 5);
}

TEST_F(PortTableTest, ExplicitBindingWinsAndRememberStoresIt)
{
    Settings::setValue(SettingsKey::serialPortDevice(2), "/dev/ttyS9");
    PortTable table;
    table.bind(2, "/dev/pts/42");
    EXPECT_EQ(table.devicePath(2), "/dev/pts/42");
    EXPECT_TRUE(table.remember(2));
    PortTable later;
    EXPECT_EQ(later.devicePath(2), "/dev/pts/42");
}

TEST_F(PortTableTest, RememberingADeviceUnderANewNumberDropsItsOldNumber)
{
    Settings::setValue(SettingsKey::serialPortDevice(4), "/dev/ttyUSB0");
    PortTable table;
    table.bind(6, "/dev/ttyUSB0");
    table.remember(6);
    PortTable later;
    EXPECT_EQ(later.numberOf("/dev/ttyUSB0"), 6);
    EXPECT_NE(later.devicePath(4), "/dev/ttyUSB0");
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
#endif

} // namespace
