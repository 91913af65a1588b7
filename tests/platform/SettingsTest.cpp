#include "platform/Settings.h"

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { Settings::setScope(QStringLiteral("settings-test")); }
    void TearDown() override
    {
        for (const QString &key : {SettingsKey::DefaultUncert, SettingsKey::DVM1, SettingsKey::CommPort})
            Settings::remove(key);
        Settings::setScope(Settings::applicationTitle());
    }
};

TEST_F(SettingsTest, AbsentKeysGiveTheirDefaults)
{
    EXPECT_EQ(Settings::value(SettingsKey::DVM1), "5200");
    EXPECT_EQ(Settings::intValue(SettingsKey::CommPort), 1);
    EXPECT_EQ(Settings::value(SettingsKey::EthernetDiscovery), "");
    EXPECT_EQ(Settings::value(SettingsKey::USBName), "");
}

TEST_F(SettingsTest, KeysAreOneWhateverTheirCase)
{
    ASSERT_TRUE(Settings::setValue(QStringLiteral("Defaultuncert"), "old.unc"));
    EXPECT_EQ(Settings::value(SettingsKey::DefaultUncert), "old.unc");
    ASSERT_TRUE(Settings::setValue(SettingsKey::DefaultUncert, "new.unc"));
    EXPECT_EQ(Settings::value(QStringLiteral("DEFAULTUNCERT")), "new.unc");
    Settings::remove(QStringLiteral("defaultUNCERT"));
    EXPECT_FALSE(Settings::contains(SettingsKey::DefaultUncert));
}

TEST_F(SettingsTest, NonNumericValueFallsBackToDefaultNumber)
{
    Settings::setValue(SettingsKey::CommPort, "COM3");
    EXPECT_EQ(Settings::intValue(SettingsKey::CommPort), 1);
    Settings::setValue(SettingsKey::CommPort, " 7 ");
    EXPECT_EQ(Settings::intValue(SettingsKey::CommPort), 7);
}

TEST_F(SettingsTest, ScopesAreSeparateStores)
{
    Settings::setValue(SettingsKey::DVM1, "5600");
    Settings::setScope(QStringLiteral("settings-test (simulated)"));
    EXPECT_EQ(Settings::value(SettingsKey::DVM1), "5200");
    Settings::setScope(QStringLiteral("settings-test"));
    EXPECT_EQ(Settings::value(SettingsKey::DVM1), "5600");
}

} // namespace
