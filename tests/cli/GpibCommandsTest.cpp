#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "instrument/gpib/GpibLibrary.h"

#include <QLibrary>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

bool machineHasGpibLibrary()
{
    for (const QString &name : GpibLibrary::defaultCandidates()) {
        QLibrary probe(name);
        if (probe.load())
            return true;
    }
    return false;
}

TEST(CliGpib, FindListsTheSimulatedCalibratorWithItsIdentity)
{
    ScopedFakeClock fake;
    ScopedSettingsStore store(QStringLiteral("gpib find"));
    const CliResult result = runTool({"--simulate", "--gpib", "9", "gpib", "find"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith(QLatin1String("9\tQuorvadine,5241,"))) << result.out.toStdString();
    EXPECT_EQ(result.out.count(QLatin1Char('\n')), 1);
}

TEST(CliGpib, EveryCommandRunsOverTheSimulatedBus)
{
    ScopedFakeClock fake;
    ScopedSettingsStore store(QStringLiteral("gpib commands"));
    const CliResult factors = runTool({"--simulate", "--gpib", "4", "send", "CAL:PRINT", "001"});
    EXPECT_EQ(factors.exitCode, 0) << factors.err.toStdString();
    EXPECT_TRUE(factors.out.endsWith(QLatin1String("\n*0\n"))) << factors.out.toStdString();
    EXPECT_GT(factors.out.count(QLatin1Char('\n')), 2);

    const CliResult info = runTool({"info", "--gpib", "4", "--simulate"});
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QLatin1String("\nModel :5241\n"))) << info.out.toStdString();
}

TEST(CliGpib, MoveChecksItsAddressesAndMovesTheInstrument)
{
    ScopedFakeClock fake;
    ScopedSettingsStore store(QStringLiteral("gpib move"));
    const CliResult moved = runTool({"--simulate", "--gpib", "9", "gpib", "move", "9", "12"});
    EXPECT_EQ(moved.exitCode, 0) << moved.err.toStdString();
    EXPECT_EQ(moved.out, QStringLiteral("moved to GPIB address 12\n"));

    const CliResult nobody = runTool({"--simulate", "--gpib", "9", "gpib", "move", "3", "12"});
    EXPECT_EQ(nobody.exitCode, 3);
    EXPECT_TRUE(nobody.err.contains(QLatin1String("no instrument listens at GPIB address 3"))) << nobody.err.toStdString();

    const CliResult bad = runTool({"--simulate", "--gpib", "9", "gpib", "move", "9", "31"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(QLatin1String("not \"31\""))) << bad.err.toStdString();
}

// The built program, as a user starts it.
TEST(CliGpibProgram, FindRunsWithAndWithoutABus)
{
    QProcess simulated;
    simulated.start(QStringLiteral(CALSETUP_CLI_EXECUTABLE), {"--simulate", "--gpib", "5", "gpib", "find"});
    ASSERT_TRUE(simulated.waitForFinished(20000)) << simulated.errorString().toStdString();
    EXPECT_EQ(simulated.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(simulated.exitCode(), 0) << simulated.readAllStandardError().toStdString();
    EXPECT_TRUE(simulated.readAllStandardOutput().startsWith("5\tQuorvadine,5241,"));

    if (machineHasGpibLibrary())
        GTEST_SKIP() << "this machine has a GPIB library";
    QProcess real;
    real.start(QStringLiteral(CALSETUP_CLI_EXECUTABLE), {"gpib", "find"});
    ASSERT_TRUE(real.waitForFinished(20000)) << real.errorString().toStdString();
    EXPECT_EQ(real.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(real.exitCode(), 3);
    EXPECT_TRUE(real.readAllStandardError().contains("no GPIB library or board is present"));
}

} // namespace
