#include "CliHarness.h"
#include "cli/CliConnection.h"
#include "fixtures/FakeClock.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

// The simulated run puts its calibrator behind a simulated USB bridge as well.
TEST(CliUsb, ListsTheSimulatedBridgeWithItsAnswer)
{
    ScopedFakeClock fake;
    const CliResult list = runTool({"--simulate", "usb", "list"});
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QStringList fields = list.out.trimmed().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 3) << list.out.toStdString();
    EXPECT_EQ(fields[0], QStringLiteral("Quorvadine USB-232 Interface"));
    EXPECT_EQ(fields[1], QStringLiteral("QVSIM001"));
    EXPECT_TRUE(fields[2].startsWith(QLatin1String("Quorvadine,5241,"))) << fields[2].toStdString();
    EXPECT_EQ(list.out.count(QLatin1Char('\n')), 1);
}

TEST(CliUsb, EveryCommandRunsOverTheSimulatedBridge)
{
    ScopedFakeClock fake;
    const CliResult id = runTool({"--simulate", "--usb", "QVSIM001", "identify"});
    EXPECT_EQ(id.exitCode, 0) << id.err.toStdString();
    EXPECT_TRUE(id.out.startsWith(QLatin1String("Quorvadine,5241,")));
    EXPECT_EQ(id.out.count(QLatin1Char('\n')), 1) << "one line, whatever line end the bridge carried";

    const CliResult meter = runTool({"identify", "--usb", "QVSIM001", "--model", "6400", "--simulate"});
    EXPECT_EQ(meter.exitCode, 0) << meter.err.toStdString();
    EXPECT_TRUE(meter.out.startsWith(QLatin1String("Quorvadine,6481,")));

    const CliResult send = runTool({"--simulate", "--usb", "QVSIM001", "send", "SYSTEM:PASSWORD", "1"});
    EXPECT_EQ(send.exitCode, 0) << send.err.toStdString();
    EXPECT_EQ(send.out, QStringLiteral("*9\n"));

    // A bridge that is not there: no answer (exit 2), and the reason is given.
    const CliResult missing = runTool({"--simulate", "--usb", "NOPE", "identify"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QLatin1String("USB bridge NOPE"))) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains(QLatin1String("No USB device with serial number \"NOPE\"")));
}

TEST(CliUsb, SelectStoresAnAttachedBridgeAndRefusesAnUnknownOne)
{
    ScopedFakeClock fake;
    const QString realScope = Settings::scope();
    Settings::setScope(InstrumentSession::simulatedScope());
    Settings::remove(SettingsKey::USBSerialNumber);
    Settings::setValue(SettingsKey::Interface, QStringLiteral("RS232"));
    Settings::setScope(realScope);

    const CliResult unknown = runTool({"--simulate", "usb", "select", "FT0000"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_TRUE(unknown.err.contains(QLatin1String("(attached: QVSIM001)"))) << unknown.err.toStdString();

    const CliResult chosen = runTool({"--simulate", "usb", "select", "QVSIM001"});
    EXPECT_EQ(chosen.exitCode, 0) << chosen.err.toStdString();
    EXPECT_EQ(chosen.out, QStringLiteral("QVSIM001 selected (Quorvadine USB-232 Interface)\n"));
    Settings::setScope(InstrumentSession::simulatedScope());
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("USB"));
    EXPECT_EQ(Settings::value(SettingsKey::USBSerialNumber), QStringLiteral("QVSIM001"));
    EXPECT_EQ(Settings::value(SettingsKey::USBName), QStringLiteral("Quorvadine USB-232 Interface"));
    Settings::remove(SettingsKey::Interface);
    Settings::setScope(realScope);

    EXPECT_EQ(runTool({"--simulate", "usb", "select"}).exitCode, 1);
    EXPECT_EQ(runTool({"--port", "3", "--usb", "QVSIM001", "identify"}).exitCode, 1);
}

// The built program with the real USB library on this computer: whatever is attached, it ends on
// its own with a plain answer. Without a bridge, or without USB access, that is exit 3 and a
// message on stderr.
TEST(CliUsbProgram, ListingRealBridgesEndsCleanly)
{
    QProcess process;
    process.start(QStringLiteral(CALSETUP_CLI_EXECUTABLE), {QStringLiteral("usb"), QStringLiteral("list")});
    ASSERT_TRUE(process.waitForFinished(20000)) << process.errorString().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    const QByteArray err = process.readAllStandardError();
    if (process.exitCode() == 3) {
        EXPECT_TRUE(err.startsWith("calsetup-cli: no USB")) << err.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    } else {
        EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    }
}

} // namespace
