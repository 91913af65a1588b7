#include "CliHarness.h"
#include "cli/CliConnection.h"
#include "cli/CommandGroups.h"
#include "cli/CommandLine.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

/// Sets a connection up from the options and hands the configured driver to check.
void withConnection(const QStringList &options, const std::function<void(InstrumentDriver &, CliConnection &)> &check)
{
    InstrumentSession session;
    CliConnection connection(session);
    const CommandLine line = CommandLine::parse(options + QStringList{"identify"}, commandTable());
    ASSERT_TRUE(line.error().isEmpty()) << line.error().toStdString();
    QString error;
    ASSERT_EQ(connection.setUp(line, &error), 0) << error.toStdString();
    auto *driver = dynamic_cast<InstrumentDriver *>(session.dvm());
    ASSERT_NE(driver, nullptr);
    check(*driver, connection);
}

TEST(CliConnectionSetUp, EachConnectionOptionConfiguresTheDriver)
{
    ScopedSettingsStore store(QStringLiteral("connection"));
    withConnection({"--gpib", "7", "--model", "5600"}, [](InstrumentDriver &driver, CliConnection &connection) {
        EXPECT_EQ(driver.family().className, "DVM_CAL_5600");
        EXPECT_EQ(driver.GetInterfaceType(), InterfaceGPIB);
        EXPECT_EQ(driver.endpoint(), Endpoint::gpib(7));
        EXPECT_EQ(connection.description(), "GPIB address 7");
    });
    withConnection({"--ethernet", "127.0.0.1:10001"}, [](InstrumentDriver &driver, CliConnection &) {
        EXPECT_EQ(driver.GetInterfaceType(), InterfaceEthernet);
        EXPECT_EQ(driver.endpoint(), Endpoint::ethernet(QStringLiteral("127.0.0.1"), 10001));
        EXPECT_EQ(driver.GetDescription().section(QLatin1String("\r\n"), 2),
                  QStringLiteral("127.0.0.1").leftJustified(20));
    });
    withConnection({"--usb", "FT5241A"}, [](InstrumentDriver &driver, CliConnection &) {
        EXPECT_EQ(driver.GetInterfaceType(), InterfaceUSB);
        EXPECT_EQ(driver.endpoint().address, "FT5241A");
    });
    withConnection({"--port", "/dev/pts/cli-test"}, [](InstrumentDriver &driver, CliConnection &connection) {
        EXPECT_EQ(driver.GetInterfaceType(), InterfaceRS232);
        const int number = driver.endpoint().number();
        EXPECT_GE(number, 1);
        EXPECT_EQ(driver.GetDescription().section(QLatin1String("\r\n"), 1),
                  QStringLiteral("RS232 Port %1").arg(number));
        EXPECT_EQ(connection.description(), QStringLiteral("RS-232 port %1 (/dev/pts/cli-test)").arg(number));
    });
    // Without a connection option the saved settings decide, the driver model included.
    Settings::setValue(SettingsKey::DVM1, QStringLiteral("6400"));
    Settings::setValue(SettingsKey::Interface, QStringLiteral("GPIB"));
    Settings::setValue(SettingsKey::GPIBPort, QStringLiteral("12"));
    withConnection({}, [](InstrumentDriver &driver, CliConnection &) {
        EXPECT_EQ(driver.family().className, "DVM_6481");
        EXPECT_EQ(driver.GetInterfaceType(), InterfaceGPIB);
        EXPECT_EQ(driver.endpoint(), Endpoint::gpib(12));
    });
}

TEST(CliSavedSettings, SerialPortNumberReachesTheInstrumentThroughThePortTable)
{
    ScopedFakeClock fake;
    ScopedSettingsStore store(QStringLiteral("saved serial"));
    SimPty sim;
    ASSERT_TRUE(sim.isOpen());
    Settings::setValue(SettingsKey::Interface, QStringLiteral("rs232"));
    Settings::setValue(SettingsKey::CommPort, QStringLiteral("9"));
    Settings::setValue(SettingsKey::serialPortDevice(9), sim.devicePath());
    const CliResult ok = runTool({"identify"});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.startsWith("Quorvadine,5241,"));

    // The saved driver model decides whether the instrument is accepted.
    Settings::setValue(SettingsKey::DVM1, QStringLiteral("5600"));
    const CliResult other = runTool({"identify"});
    EXPECT_EQ(other.exitCode, 3) << other.err.toStdString();
    EXPECT_TRUE(other.err.contains(QStringLiteral("RS-232 port 9 (%1)").arg(sim.devicePath())));
}

struct UnavailableCase
{
    QStringList arguments;
    QString where;
};

void PrintTo(const UnavailableCase &c, std::ostream *os)
{
    *os << c.arguments.join(' ').toStdString();
}

class UnavailableInterface : public ::testing::TestWithParam<UnavailableCase>
{
protected:
    ScopedFakeClock fake;
};

// Whatever the transport behind them can do, a connection that gives no answer is exit 2 and the
// message names where the tool looked.
TEST_P(UnavailableInterface, GivesExitTwoAndSaysWhere)
{
    const UnavailableCase &c = GetParam();
    for (const char *command : {"identify", "info"}) {
        const CliResult result = runTool(c.arguments + QStringList{command});
        EXPECT_EQ(result.exitCode, 2) << command << ": " << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.where)) << result.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(CliConnection, UnavailableInterface,
                         ::testing::Values(UnavailableCase{{"--gpib", "7"}, "GPIB address 7"},
                                           UnavailableCase{{"--usb", "FT5241A"}, "USB bridge FT5241A"},
                                           UnavailableCase{{"--ethernet", "127.0.0.1:39999"},
                                                           "Ethernet module 127.0.0.1:39999"}));

TEST(CliSimulate, RunsAgainstABuiltInCalibratorInItsOwnSettingsStore)
{
    ScopedFakeClock fake;
    ScopedSettingsStore store(QStringLiteral("simulate"));
    // A real installation's choice must not leak into the simulated run.
    Settings::setValue(SettingsKey::DVM1, QStringLiteral("5600"));
    Settings::setValue(SettingsKey::Interface, QStringLiteral("GPIB"));
    const QString realScope = Settings::scope();

    const CliResult info = runTool({"info", "--simulate"});
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("\nModel :5241\n"))) << info.out.toStdString();
    EXPECT_EQ(Settings::scope(), realScope);

    // The built-in calibrator poses as an instrument of the chosen driver's family.
    const CliResult dmm = runTool({"--simulate", "--model", "6400", "identify"});
    EXPECT_EQ(dmm.exitCode, 0) << dmm.err.toStdString();
    EXPECT_TRUE(dmm.out.startsWith("Quorvadine,6481,")) << dmm.out.toStdString();
    EXPECT_EQ(Settings::value(SettingsKey::DVM1), "5600");
}

} // namespace
