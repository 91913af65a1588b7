#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/PtyPeer.h"
#include "fixtures/SimPty.h"
#include "sim/InstrumentMemory.h"

#include <gtest/gtest.h>

namespace {

class CliLocate : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.isOpen() && silent.isOpen()); }

    ScopedFakeClock fake;
    ScopedSettingsStore store{QStringLiteral("locate")};
    SimPty sim;
    PtyPeer silent;
};

TEST_F(CliLocate, FindsTheCalibratorAmongTheGivenDevicesAndStoresItsPort)
{
    const CliResult result =
        runTool({"locate", "--ports", silent.devicePath() + QLatin1Char(',') + sim.devicePath()});

    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const InstrumentMemory &m = sim.memory();
    EXPECT_EQ(result.out, QStringLiteral("Checking Serial Ports\nChecking Port 1\nNo Reply\nChecking Port 2\n"
                                         "Found Quorvadine,5241,%1,%2\nOn port 2\n")
                              .arg(QString::fromLatin1(m.serialNumber()), QString::fromLatin1(m.firmwareVersion())));
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "2");
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "RS232");
    EXPECT_EQ(Settings::value(SettingsKey::serialPortDevice(2), QString()), sim.devicePath());
}

TEST_F(CliLocate, NothingFoundExitsThreeAndStoresNothing)
{
    const CliResult result = runTool({"locate", "--ports", silent.devicePath() + ",/nonexistent/calsetup-test/x"});

    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "Checking Serial Ports\nChecking Port 1\nNo Reply\nNo Meter Found on serial ports\n");
    EXPECT_FALSE(result.err.isEmpty());
    EXPECT_FALSE(Settings::contains(SettingsKey::CommPort));
}

TEST_F(CliLocate, ASimulatedRunSearchesItsVirtualCalibratorOnly)
{
    const CliResult result = runTool({"--simulate", "locate"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5) << result.out.toStdString();
    EXPECT_EQ(lines[0], "Checking Serial Ports");
    EXPECT_TRUE(lines[1].startsWith("Checking Port ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("Found Quorvadine,5241,")) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("On port ") + lines[1].mid(14));
    // The real installation's settings are not touched by a simulation.
    EXPECT_FALSE(Settings::contains(SettingsKey::CommPort));
}

TEST_F(CliLocate, MalformedDeviceListIsAUsageError)
{
    for (const QString &ports : {QStringLiteral("a,,b"), QStringLiteral(","), sim.devicePath() + "," + sim.devicePath()}) {
        const CliResult result = runTool({"locate", "--ports", ports});
        EXPECT_EQ(result.exitCode, 1) << ports.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

} // namespace
