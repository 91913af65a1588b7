#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "sim/InstrumentMemory.h"

#include <gtest/gtest.h>

namespace {

/// The output, clock and history commands against a virtual calibrator, recording every line
/// the calibrator hears.
class CliProcedureCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        QObject::connect(&sim.front, &PtyFront::lineReceived,
                         [this](const QByteArray &line) { heard << QString::fromLatin1(line); });
    }

    CliResult run(QStringList arguments)
    {
        heard.clear();
        arguments << QStringLiteral("--port") << sim.devicePath();
        return runTool(arguments);
    }
    QStringList commandsHeard() const
    {
        QStringList out = heard;
        out.removeAll(QString()); // the lone CR sent when the port opens
        return out;
    }

    ScopedFakeClock fake;
    SimPty sim;
    QStringList heard;
};

TEST_F(CliProcedureCommands, ClockSetAtSendsTheTenDigitsInSetupModeAndPrintsTheClockReadBack)
{
    const CliResult result = run({"clock", "set", "--at", "2030-01-01 09:05"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(commandsHeard(),
              QStringList({"SYSTEM:PASSWORD 5820316", "SYSTEM:SETDATE 0101300905", "T", "CAL:PASSWORD 0"}));
    EXPECT_EQ(result.out, "2030-01-01 09:05:00\n");
    EXPECT_EQ(sim.memory().clockAt(fake.clock.currentDateTime()).date(), QDate(2030, 1, 1));
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(CliProcedureCommands, ClockSetWithoutAtUsesTheComputersTime)
{
    fake.clock.setDateTime(QDateTime(QDate(2027, 5, 6), QTime(7, 8, 9)));
    const CliResult result = run({"clock", "set"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(commandsHeard().contains("SYSTEM:SETDATE 0605270708")) << commandsHeard().join('|').toStdString();
    EXPECT_EQ(result.out, "2027-05-06 07:08:00\n");
}

TEST_F(CliProcedureCommands, ClockSetRefusedExitsThreeAndStillLeavesSetupMode)
{
    sim.memory().setSystemPassword("0000000");
    const CliResult result = run({"clock", "set", "--at", "2030-01-01 09:05"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "calsetup-cli: the calibrator did not take SYSTEM:SETDATE 0101300905 (it answered *6)\n");
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(commandsHeard().last(), "CAL:PASSWORD 0");
}

TEST_F(CliProcedureCommands, ClockSetWithAMalformedTimeSendsNothing)
{
    for (const char *at : {"2030-01-01", "01/01/2030 09:05", "2030-02-30 09:05", "2030-01-01 25:00"}) {
        const CliResult result = run({"clock", "set", "--at", at});
        EXPECT_EQ(result.exitCode, 1) << at;
        EXPECT_TRUE(commandsHeard().isEmpty()) << at;
    }
}

TEST_F(CliProcedureCommands, ClockReadPrintsTheInstrumentClockAndSilenceExitsTwo)
{
    sim.memory().setClock(QDateTime(QDate(2031, 2, 3), QTime(4, 5, 6)), fake.clock.currentDateTime());
    CliResult result = run({"clock", "read"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "2031-02-03 04:05:06\n");

    sim.knobs().silent = true;
    result = run({"clock", "read"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(CliProcedureCommands, HistoryListsWhatTheCalibratorHoldsNewestFirst)
{
    sim.memory().calibrationLog().clear();
    sim.memory().setClock(QDateTime(QDate(2029, 4, 1), QTime(10, 0)), fake.clock.currentDateTime());
    sim.memory().recordCalibration(2);
    sim.memory().closeCalibrationSession();
    sim.memory().setClock(QDateTime(QDate(2030, 6, 5), QTime(10, 0)), fake.clock.currentDateTime());
    sim.memory().recordCalibration(121);
    sim.memory().recordCalibration(11);
    sim.memory().closeCalibrationSession();

    const CliResult result = run({"history"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out,
              "2030-06-05\n"
              "  200uA DC (11)\n"
              "  Power 1mA AC (121)\n"
              "2029-04-01\n"
              "  2V DC (2)\n");
    EXPECT_EQ(commandsHeard(), QStringList({"CALIBRATION:HISTORY"}));

    sim.memory().calibrationLog().clear();
    EXPECT_EQ(run({"history"}).out, "");
}

TEST_F(CliProcedureCommands, OutputSetPrintsTheDisplayOnlyWhenTheSettingIsTaken)
{
    CliResult result = run({"output", "set", "10V"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(commandsHeard(), QStringList({"o10V", "X"}));
    EXPECT_EQ(result.out, "10.0000 V STBY\n");

    result = run({"output", "set", "1.5", "mA"});
    EXPECT_EQ(commandsHeard(), QStringList({"o1.5 mA", "X"}));
    EXPECT_EQ(result.out, "1.50000 mA STBY\n");

    result = run({"output", "set", "2000V"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(commandsHeard(), QStringList({"o2000V"}));
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err, "calsetup-cli: the calibrator did not take o2000V (it answered *5)\n");

    sim.knobs().silent = true;
    result = run({"output", "set", "10V"});
    EXPECT_EQ(result.exitCode, 2);
}

TEST_F(CliProcedureCommands, APartialNumberIsAUsageErrorNamingItsArgumentAndNothingIsSent)
{
    const struct
    {
        QStringList arguments;
        const char *named;
    } cases[] = {
        {{"output", "set", "3oV"}, "TEXT"},     {{"output", "set", "banana"}, "TEXT"},
        {{"output", "set", "1,5V"}, "TEXT"},    {{"output", "set", "10"}, "TEXT"},
        {{"output", "set", "10 Volt"}, "TEXT"}, {{"measure", "DCV", "10x"}, "VALUE"},
        {{"measure", "DCV", "0,5"}, "VALUE"},
    };
    for (const auto &c : cases) {
        const CliResult result = run(c.arguments);
        const std::string line = c.arguments.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, 1) << line;
        EXPECT_TRUE(result.err.contains(QLatin1String(c.named))) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.arguments.mid(2).join(' '))) << result.err.toStdString();
        EXPECT_TRUE(commandsHeard().isEmpty()) << line;
    }
}

TEST_F(CliProcedureCommands, OutputOnAndStandby)
{
    EXPECT_EQ(run({"output", "on"}).exitCode, 0);
    EXPECT_TRUE(sim.memory().output().outputOn);
    EXPECT_EQ(run({"output", "standby"}).exitCode, 0);
    EXPECT_FALSE(sim.memory().output().outputOn);
    EXPECT_EQ(commandsHeard(), QStringList({"S1"}));
    EXPECT_EQ(run({"output", "off"}).exitCode, 1);
}

TEST_F(CliProcedureCommands, MeasureSetsTheRangeReadsOnceAndPrintsBothForms)
{
    CliResult result = run({"measure", "DCI", "1e-7", "--model", "6400"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(commandsHeard(), QStringList({"CONF:CURRENT:DC 1.00E-07", "READ?"}));
    EXPECT_EQ(result.out, "+1.000000E-07\n0.100u\n");

    result = run({"measure", "res", "1000", "--model", "6400"});
    EXPECT_EQ(commandsHeard(), QStringList({"CONF:RES 1000", "READ?"}));
    EXPECT_EQ(result.out, "+1.000000E+03\n1.000k\n");

    for (const QStringList &bad : {QStringList({"measure", "OHMS", "1"}), QStringList({"measure", "DCV", "ten"})}) {
        result = run(bad);
        EXPECT_EQ(result.exitCode, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(commandsHeard().isEmpty());
    }

    sim.knobs().silent = true;
    result = run({"measure", "DCV", "10"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
}

} // namespace
