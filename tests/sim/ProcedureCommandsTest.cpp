#include "fixtures/FakeClock.h"
#include "sim/InstrumentMemory.h"
#include "sim/VirtualCalibrator.h"

#include <gtest/gtest.h>

namespace {

class ProcedureCommands : public ::testing::Test
{
protected:
    QByteArray ask(const QByteArray &line) { return sim.handleLine(line); }
    /// The reply's lines without their CR LF.
    QList<QByteArray> lines(const QByteArray &line)
    {
        QList<QByteArray> out = ask(line).split('\n');
        out.removeLast();
        for (QByteArray &l : out)
            l.chop(1);
        return out;
    }
    OutputState &out() { return sim.memory().output(); }

    ScopedFakeClock fake;
    VirtualCalibrator sim;
};

TEST_F(ProcedureCommands, SetDateNeedsTheSystemPasswordAndTenValidDigits)
{
    EXPECT_EQ(ask("SYSTEM:SETDATE 0101300905"), "*6\r\n");
    ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    for (const char *bad :
         {"SYSTEM:SETDATE", "SYSTEM:SETDATE 010130090", "SYSTEM:SETDATE 01013009055", "SYSTEM:SETDATE 01O1300905"})
        EXPECT_EQ(ask(bad), "*9\r\n") << bad;
    for (const char *impossible : {"SYSTEM:SETDATE 3102300905", "SYSTEM:SETDATE 0113300905",
                                   "SYSTEM:SETDATE 0101302400", "SYSTEM:SETDATE 0101300960"})
        EXPECT_EQ(ask(impossible), "*5\r\n") << impossible;

    EXPECT_EQ(ask("SYSTEM:SETDATE 0101300905"), "*0\r\n");
    QList<QByteArray> info = lines("T");
    ASSERT_GE(info.size(), 5);
    EXPECT_EQ(info[3], "01/01/2030");
    EXPECT_EQ(info[4], "09:05:00");
    // The clock runs on from the moment it was set.
    fake.clock.advance(61000);
    info = lines("T");
    EXPECT_EQ(info[4], "09:06:01");
}

TEST_F(ProcedureCommands, HistoryListsEventsOldestFirstWithAtMostSixteenRangesALine)
{
    const QList<QByteArray> reply = lines("CALIBRATION:HISTORY");
    ASSERT_FALSE(reply.isEmpty());
    EXPECT_EQ(reply.last(), "*0");
    int events = 0;
    for (const QByteArray &line : reply.mid(0, reply.size() - 1)) {
        EXPECT_FALSE(line.contains('*')) << line.constData();
        if (line.startsWith("DATE ")) {
            ++events;
        } else {
            ASSERT_TRUE(line.startsWith("RANGE ")) << line.constData();
            EXPECT_LE(line.mid(6).split(',').size(), 16) << line.constData();
        }
    }
    EXPECT_EQ(events, sim.memory().calibrationLog().events().size());
    EXPECT_EQ(reply.first(), "DATE 14/03/2023");
}

TEST_F(ProcedureCommands, AWriteSessionThatChangedFactorsBecomesAnEventWhenSetupModeIsLeft)
{
    const qsizetype before = sim.memory().calibrationLog().events().size();
    sim.memory().setClock(QDateTime(QDate(2031, 7, 4), QTime(12, 0)), fake.clock.currentDateTime());
    // A session that changed nothing leaves no trace.
    ask("CALIBRATE:PASSWORD 7715");
    ask("CAL:PASSWORD 0");
    EXPECT_EQ(sim.memory().calibrationLog().events().size(), before);

    ask("CALIBRATE:PASSWORD 7715");
    const qint32 unchanged = sim.memory().factors(5).at(0);
    ASSERT_EQ(ask("CALIBRATION:SETCAL 0,21," + QByteArray::number(sim.memory().factors(21).at(0) + 1)), "*0\r\n");
    ASSERT_EQ(ask("CALIBRATION:SETCAL 2,3,77"), "*0\r\n");
    ASSERT_EQ(ask("CALIBRATION:SETCAL 1,21,-5"), "*0\r\n");
    ASSERT_EQ(ask("CALIBRATION:SETCAL 0,5," + QByteArray::number(unchanged)), "*0\r\n") << "written again, not changed";
    ask("CAL:PASSWORD 0");
    ASSERT_EQ(sim.memory().calibrationLog().events().size(), before + 1);
    const QList<QByteArray> reply = lines("CALIBRATION:HISTORY");
    ASSERT_GE(reply.size(), 3);
    EXPECT_EQ(reply[reply.size() - 3], "DATE 04/07/2031");
    EXPECT_EQ(reply[reply.size() - 2], "RANGE 3,21");
}

TEST_F(ProcedureCommands, PowerFactorsNeedA1EachAreLimitedAndStoreRecordsTheRange)
{
    EXPECT_EQ(ask("B1"), "*0\r\n");
    EXPECT_EQ(ask("o10V"), "*0\r\n");
    EXPECT_EQ(ask("C0.0003"), "*0\r\n");
    EXPECT_EQ(out().powerRange, 1);
    const OutputState::FactorSet original = out().power[1];
    QList<QByteArray> factors = lines("CAL:PRINT");
    ASSERT_EQ(factors.size(), 5);
    EXPECT_EQ(factors[0].toLongLong(), original[0]);
    EXPECT_EQ(factors[4], "*0");

    EXPECT_EQ(ask("P19980"), "*7\r\n") << "no a1";
    EXPECT_EQ(ask("a1"), "*0\r\n");
    EXPECT_EQ(ask("P99999"), "*5\r\n");
    EXPECT_EQ(ask("P19980"), "*7\r\n") << "one a1 arms one write";
    ask("a1");
    EXPECT_EQ(ask("P19980"), "*0\r\n");
    ask("a1");
    EXPECT_EQ(ask("MISCCAL -40"), "*0\r\n");
    ask("a1");
    EXPECT_EQ(ask("Nabc"), "*9\r\n");
    factors = lines("CAL:PRINT");
    EXPECT_EQ(factors[0], "19980");
    EXPECT_EQ(factors[3], "-40");

    // Abort goes back to what the session began with.
    EXPECT_EQ(ask("a0"), "*0\r\n");
    EXPECT_EQ(lines("CAL:PRINT")[0].toLongLong(), original[0]);

    const qsizetype before = sim.memory().calibrationLog().events().size();
    ask("B5");
    ask("C20");
    ask("a1");
    ask("Z5");
    EXPECT_EQ(ask("a2"), "*0\r\n");
    ASSERT_EQ(sim.memory().calibrationLog().events().size(), before + 1);
    EXPECT_EQ(sim.memory().calibrationLog().events().last().ranges, QList<int>({131}));
    ask("a0");
    EXPECT_EQ(lines("CAL:PRINT")[1], "5") << "stored factors survive a later abort";
}

TEST_F(ProcedureCommands, CurrentsPickThePowerRangeUpToItsFullScale)
{
    const struct
    {
        const char *command;
        int range;
    } cases[] = {{"C0.00003", 0}, {"C0.0001", 0}, {"C0.0003", 1}, {"C0.01", 2}, {"C0.03", 3},
                 {"C0.3", 4},     {"C2", 4},      {"C3", 5},      {"C20", 5}};
    for (const auto &c : cases) {
        EXPECT_EQ(ask(c.command), "*0\r\n") << c.command;
        EXPECT_EQ(out().powerRange, c.range) << c.command;
    }
    EXPECT_EQ(ask("C31"), "*5\r\n");
    EXPECT_EQ(ask("Cx"), "*9\r\n");
}

TEST_F(ProcedureCommands, BareCalPrintWithoutAFunctionIsLeftToTheRangeTable)
{
    EXPECT_EQ(ask("CAL:PRINT"), "*9\r\n");
    EXPECT_EQ(ask("a1"), "*9\r\n");
    ask("B1");
    EXPECT_EQ(lines("CAL:PRINT 001").size(), 5) << "a range number still prints the range";
}

TEST_F(ProcedureCommands, KvAmplifierPresenceRangesAndFactors)
{
    EXPECT_EQ(ask("D0"), "*0\r\n");
    EXPECT_EQ(ask("r6"), "*0\r\n");
    QList<QByteArray> factors = lines("CAL:PRINT");
    ASSERT_EQ(factors.size(), 5);
    EXPECT_EQ(factors[0], "500123456");
    EXPECT_EQ(factors[2], "12345");
    ask("a1");
    EXPECT_EQ(ask("Z10000001"), "*5\r\n");
    ask("a1");
    EXPECT_EQ(ask("Z30000"), "*0\r\n");
    ask("a1");
    EXPECT_EQ(ask("N5"), "*9\r\n") << "the amplifier has no phase factor";
    EXPECT_EQ(lines("CAL:PRINT")[2], "30000");
    EXPECT_EQ(ask("O10000"), "*0\r\n");
    EXPECT_EQ(ask("O10501"), "*5\r\n");
    const qsizetype before = sim.memory().calibrationLog().events().size();
    ask("a2");
    EXPECT_EQ(sim.memory().calibrationLog().events().size(), before) << "the amplifier is no history range";

    EXPECT_EQ(ask("r26"), "*0\r\n");
    EXPECT_EQ(lines("CAL:PRINT")[0], "498765432");
    EXPECT_EQ(ask("O7001"), "*5\r\n");
    EXPECT_EQ(ask("F50"), "*0\r\n");

    out().kvAmplifierFitted = false;
    EXPECT_EQ(ask("D0"), "*2\r\n");
    EXPECT_EQ(ask("r6"), "*2\r\n");
}

TEST_F(ProcedureCommands, OutputSettingsAndTheDisplayThatFollowsThem)
{
    EXPECT_EQ(lines("X"), QList<QByteArray>({"0.00000 V STBY", "*0"}));
    const struct
    {
        const char *command;
        const char *reply;
        const char *display;
    } cases[] = {
        {"o10V", "*0", "10.0000 V STBY"},
        {"o1.5mA", "*0", "1.50000 mA STBY"},
        {"o -100 mV", "*0", "-100.000 mV STBY"},
        {"o100kOhm", "*0", "100.000 kOhm STBY"},
        {"o1kHz", "*0", "1.00000 kHz STBY"},
        {"o10nF", "*0", "10.0000 nF STBY"},
        {"o2000V", "*5", nullptr},
        {"o-1R", "*5", nullptr},
        {"o10", "*9", nullptr},
        {"o", "*9", nullptr},
        {"o10X", "*9", nullptr},
        {"o10qV", "*9", nullptr},
        {"oV", "*9", nullptr},
    };
    QByteArray last = "0.00000 V STBY";
    for (const auto &c : cases) {
        EXPECT_EQ(ask(c.command), QByteArray(c.reply) + "\r\n") << c.command;
        if (c.display)
            last = c.display;
        EXPECT_EQ(lines("X").first(), last) << c.command;
    }
    EXPECT_EQ(ask("S0"), "*0\r\n");
    EXPECT_EQ(lines("X").first(), "10.0000 nF OPER");
    ask("C0.00003");
    EXPECT_EQ(lines("X").first(), "30.0000 uA OPER");
    EXPECT_EQ(ask("S1"), "*0\r\n");
    EXPECT_EQ(lines("X").first(), "30.0000 uA STBY");
}

TEST_F(ProcedureCommands, NumericSettingsKeepToTheLimitsOfTheSelectedFunction)
{
    const struct
    {
        const char *select; ///< the function chosen first, if any
        const char *command;
        const char *reply;
    } cases[] = {
        {nullptr, "F0.1", "*0"},
        {nullptr, "F0.09", "*5"},
        {nullptr, "F0", "*5"},
        {nullptr, "F-50", "*5"},
        {nullptr, "F1000001", "*5"},
        {"B1", "F39.9", "*5"},
        {"B1", "F400", "*0"},
        {"B1", "F401", "*5"},
        {"r26", "F1000", "*0"},
        {nullptr, "O-1050", "*0"},
        {nullptr, "O1050.5", "*5"},
        {"r6", "O0", "*0"},
        {"r6", "O-1", "*5"},
        {"r6", "O10500", "*0"},
        {nullptr, "C-30", "*0"},
        {nullptr, "C30.01", "*5"},
        {nullptr, "C1e999", "*9"},
        {nullptr, "AC_HF_FACTOR 0.5", "*0"},
        {nullptr, "AC_HF_FACTOR 1.5", "*0"},
        {nullptr, "AC_HF_FACTOR 0.49", "*5"},
        {nullptr, "AC_HF_FACTOR -1", "*5"},
    };
    for (const auto &c : cases) {
        VirtualCalibrator fresh;
        if (c.select) {
            ASSERT_EQ(fresh.handleLine(c.select), "*0\r\n") << c.select;
        }
        EXPECT_EQ(fresh.handleLine(c.command), QByteArray(c.reply) + "\r\n")
            << (c.select ? c.select : "") << " " << c.command;
    }
}

TEST_F(ProcedureCommands, CorrectionFactorsAreQueriedAndSetWithinLimits)
{
    EXPECT_EQ(lines("AC_HF_FACTOR ?"), QList<QByteArray>({"1.002300", "*0"}));
    EXPECT_EQ(ask("AC_LF_FACTOR 0.9995"), "*0\r\n");
    EXPECT_EQ(lines("AC_LF_FACTOR ?").first(), "0.999500");
    EXPECT_EQ(ask("AC_LIN_FACTOR 2"), "*5\r\n");
    EXPECT_EQ(ask("AC_LIN_FACTOR"), "*9\r\n");
    EXPECT_EQ(ask("AC_LIN_FACTOR x"), "*9\r\n");
    EXPECT_EQ(lines("AC_LIN_FACTOR ?").first(), "1.000040");
}

TEST_F(ProcedureCommands, DiagnosticsAndLatchesAreSilentAndRemembered)
{
    EXPECT_EQ(ask("d_setdds 1500"), "");
    EXPECT_EQ(out().diagnostics.value("d_setdds"), 1500);
    EXPECT_EQ(ask("d_vco2 x"), "");
    EXPECT_FALSE(out().diagnostics.contains("d_vco2"));
    EXPECT_EQ(ask("d_setlatch 3,255"), "");
    EXPECT_EQ(out().mainLatches[3], 255);
    EXPECT_EQ(ask("d_scopelatch 7,129"), "");
    EXPECT_EQ(out().scopeLatches[7], 129);
    for (const char *bad :
         {"d_scopelatch 8,1", "d_setlatch 16,1", "d_setlatch 1,256", "d_setlatch 1", "d_setlatch a,b"})
        EXPECT_EQ(ask(bad), "") << bad;
    EXPECT_EQ(out().mainLatches[1], 0);
}

} // namespace
