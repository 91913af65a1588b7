#include "fixtures/FakeClock.h"
#include "instrument/RangeNames.h"
#include "sim/HeardLines.h"
#include "sim/InstrumentMemory.h"
#include "sim/RangeLayout.h"
#include "sim/VirtualCalibrator.h"

#include <gtest/gtest.h>

namespace {

// Cuts a reply into its lines, failing the test when a line is not ended by CR LF.
QList<QByteArray> replyLines(const QByteArray &reply)
{
    QList<QByteArray> lines;
    qsizetype from = 0;
    while (from < reply.size()) {
        const qsizetype end = reply.indexOf("\r\n", from);
        if (end < 0) {
            ADD_FAILURE() << "line without CR LF: " << reply.mid(from).constData();
            break;
        }
        lines.append(reply.mid(from, end - from));
        from = end + 2;
    }
    return lines;
}

class InterpreterTest : public ::testing::Test
{
protected:
    QByteArray ask(const QByteArray &line) { return sim.handleLine(line); }

    ScopedFakeClock fake;
    VirtualCalibrator sim;
};

TEST(InterpreterIdentity, EachModelAnswersOneLineWithMakerModelSerialAndVersion)
{
    for (const QString &model : InstrumentMemory::knownModels()) {
        VirtualCalibrator sim(model);
        const QByteArray reply = sim.handleLine("*IDN?");
        const QList<QByteArray> lines = replyLines(reply);
        ASSERT_EQ(lines.size(), 1) << reply.constData();
        const QList<QByteArray> fields = lines[0].split(',');
        ASSERT_EQ(fields.size(), 4) << lines[0].constData();
        EXPECT_EQ(fields[0], "Quorvadine");
        EXPECT_EQ(fields[1], model.toLatin1());
        EXPECT_EQ(fields[2], sim.memory().serialNumber());
        EXPECT_FALSE(lines[0].contains('*'));
    }
}

TEST_F(InterpreterTest, InformationGivesVersionSerialModelDateTimeThenStatus)
{
    fake.clock.setDateTime(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
    const QList<QByteArray> lines = replyLines(ask("T"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "Version 2.13");
    EXPECT_TRUE(lines[1].contains("52410123")) << lines[1].constData();
    EXPECT_EQ(lines[2], "5241");
    EXPECT_EQ(lines[3], "05/03/2026");
    EXPECT_EQ(lines[4], "14:07:09");
    EXPECT_EQ(lines[5], "*0");
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(lines[i].contains('*')) << "a '*' would end the host's reply early: " << lines[i].constData();
}

TEST_F(InterpreterTest, InformationFollowsTheInstrumentClockAsTimePasses)
{
    const QDateTime computer(QDate(2026, 12, 31), QTime(23, 59, 30));
    fake.clock.setDateTime(computer);
    // The instrument runs a day and an hour behind the computer.
    sim.memory().setClock(computer.addDays(-1).addSecs(-3600), computer);
    QList<QByteArray> lines = replyLines(ask("T"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[3], "30/12/2026");
    EXPECT_EQ(lines[4], "22:59:30");

    fake.clock.advance(3600 * 1000 + 45 * 1000);
    lines = replyLines(ask("T"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[3], "31/12/2026");
    EXPECT_EQ(lines[4], "00:00:15");
}

TEST_F(InterpreterTest, PasswordsEnterAndTheExitPasswordLeavesSetupMode)
{
    InstrumentMemory &m = sim.memory();
    EXPECT_EQ(ask("SYSTEM:PASSWORD 1234567"), "*9\r\n");
    EXPECT_EQ(ask("SYSTEM:PASSWORD"), "*9\r\n");
    EXPECT_FALSE(m.inSetupMode());

    EXPECT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    EXPECT_TRUE(m.systemUnlocked());
    EXPECT_FALSE(m.calibrationUnlocked());
    // A wrong password later does not throw the instrument out of setup mode.
    EXPECT_EQ(ask("CALIBRATE:PASSWORD 7716"), "*9\r\n");
    EXPECT_TRUE(m.systemUnlocked());
    EXPECT_EQ(ask("CALIBRATE:PASSWORD 7715"), "*0\r\n");
    EXPECT_TRUE(m.calibrationUnlocked());

    // The exit password is one digit; anything else is refused and changes nothing.
    for (const char *bad : {"CAL:PASSWORD", "CAL:PASSWORD 12", "CAL:PASSWORD x"}) {
        EXPECT_EQ(ask(bad), "*9\r\n") << bad;
        EXPECT_TRUE(m.systemUnlocked() && m.calibrationUnlocked()) << bad;
    }
    EXPECT_EQ(ask("CAL:PASSWORD 0"), "*0\r\n");
    EXPECT_FALSE(m.systemUnlocked());
    EXPECT_FALSE(m.calibrationUnlocked());

    // A password changed in memory is the one that counts.
    m.setCalibratePassword("4242");
    EXPECT_EQ(ask("CALIBRATE:PASSWORD 7715"), "*9\r\n");
    EXPECT_EQ(ask("CALIBRATE:PASSWORD 4242"), "*0\r\n");
}

TEST_F(InterpreterTest, RebootIsSilentLeavesSetupModeAndIsDeafUntilItIsUp)
{
    sim.memory().setRebootMs(2000);
    ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    EXPECT_EQ(ask("SYSTEM:REBOOT"), "");
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_EQ(ask("*IDN?"), "");
    fake.clock.advance(1999);
    EXPECT_EQ(ask("T"), "");
    fake.clock.advance(1);
    EXPECT_TRUE(ask("*IDN?").startsWith("Quorvadine,5241,"));
}

TEST_F(InterpreterTest, LocalAndConfigurationCommandsAnswerNothing)
{
    for (const char *command : {"L", "CONF:VOLTAGE:DC 10", "CONF:CURRENT:DC 1E-07", "CONF:VOLTAGE:AC 1",
                                "CONF:CURRENT:AC 0.1", "CONF:RES 100", "CONF:FRES 1000",
                                "CONF:FREQ 50", "R60", "R61", "R62", "R64", "CONF:RES abc"})
        EXPECT_EQ(ask(command), "") << command;
    ask("*IDN?");
    EXPECT_TRUE(sim.memory().remote());
    ask("L");
    EXPECT_FALSE(sim.memory().remote());
}

TEST_F(InterpreterTest, ReadingFollowsTheLastConfigurationInScientificForm)
{
    ask("CONF:CURRENT:DC 1E-07");
    EXPECT_EQ(ask("READ?"), "+1.000000E-07\r\n");
    EXPECT_EQ(sim.memory().measurement().function, "CURRENT:DC");

    ask("CONF:VOLTAGE:AC 1.23456");
    EXPECT_EQ(ask("READ?"), "+1.234560E+00\r\n");
    // A value that is no number leaves the meter as it was.
    ask("CONF:VOLTAGE:DC 1,5");
    EXPECT_EQ(sim.memory().measurement().function, "VOLTAGE:AC");
    EXPECT_EQ(ask("READ?"), "+1.234560E+00\r\n");

    ask("R61");
    EXPECT_EQ(sim.memory().measurement().function, "R61");
    sim.memory().setReading(-2500.5);
    EXPECT_EQ(ask("READ?"), "-2.500500E+03\r\n");
}

TEST_F(InterpreterTest, CalPrintListsTheRangesFactorsThenStatus)
{
    // DC range: positive, negative, zero, misc.
    const QList<qint32> dc = sim.memory().factors(1);
    ASSERT_EQ(dc.size(), 4);
    QList<QByteArray> lines = replyLines(ask("CAL:PRINT 001"));
    ASSERT_EQ(lines.size(), 5);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lines[i].toInt(), dc[i]) << i;
    EXPECT_EQ(lines[4], "*0");

    // What is printed is the memory, signed, as it stands now.
    ASSERT_TRUE(sim.memory().setFactor(21, 0, -12));
    ASSERT_TRUE(sim.memory().setFactor(21, 28, 2147483647));
    lines = replyLines(ask("CAL:PRINT 021"));
    ASSERT_EQ(lines.size(), 4 + 25 + 1) << "200 mV AC has four factors and 25 frequency points";
    EXPECT_EQ(lines[0], "-12");
    EXPECT_EQ(lines[28], "2147483647");
    EXPECT_EQ(lines.last(), "*0");
}

TEST_F(InterpreterTest, CalPrintOfAMissingRangeIsStatusOnlyAndABadNumberIsRefused)
{
    for (const char *absent : {"CAL:PRINT 006", "CAL:PRINT 134", "CAL:PRINT 145", "CAL:PRINT 149"})
        EXPECT_EQ(ask(absent), "*0\r\n") << absent;
    for (const char *malformed : {"CAL:PRINT", "CAL:PRINT 1", "CAL:PRINT 01", "CAL:PRINT 0001",
                                  "CAL:PRINT 0a1", "CAL:PRINT -01", "CAL:PRINT +01"})
        EXPECT_EQ(ask(malformed), "*9\r\n") << malformed;
    EXPECT_EQ(ask("CAL:PRINT 000"), "*5\r\n");
    EXPECT_EQ(ask("CAL:PRINT 150"), "*5\r\n");
}

TEST(InstrumentMemoryTest, HasExactlyTheNamedRangesWithPlausibleFactors)
{
    // The calibrator has every range the host has a name for, and no other.
    InstrumentMemory memory;
    int present = 0;
    for (int range = 0; range <= 150; ++range) {
        const QString name = RangeName(range);
        const bool named = name != QLatin1String("Unused") && name != QLatin1String("Null");
        EXPECT_EQ(RangeLayout::hasRange(range), named) << range << " " << name.toStdString();
        const QList<qint32> factors = memory.factors(range);
        EXPECT_EQ(factors.size(), RangeLayout::factorCount(range)) << range;
        EXPECT_LE(factors.size(), RangeLayout::kMaxFactors);
        if (named) {
            ++present;
            EXPECT_GE(factors.size(), 4) << range;
        }
    }
    EXPECT_GT(present, 100);
    // Two instruments start with the same memory, and the ranges do not all hold the same values.
    EXPECT_EQ(InstrumentMemory().factors(45), memory.factors(45));
    EXPECT_NE(memory.factors(1), memory.factors(2));
}

TEST(InstrumentMemoryTest, BackupAndRestoreCopyWholeSets)
{
    InstrumentMemory memory;
    const QList<qint32> original = memory.factors(3);
    ASSERT_TRUE(memory.setFactor(3, 2, 99));
    EXPECT_EQ(memory.backupFactors(3), original);
    memory.backupToSecondary();
    EXPECT_EQ(memory.backupFactors(3)[2], 99);
    ASSERT_TRUE(memory.setFactor(3, 2, -1));
    memory.restoreFromSecondary();
    EXPECT_EQ(memory.factors(3)[2], 99);
    EXPECT_FALSE(memory.setFactor(3, 4, 1)) << "a DC range has no frequency points";
    EXPECT_FALSE(memory.setFactor(6, 0, 1)) << "range 6 does not exist";
}

TEST_F(InterpreterTest, UnknownCommandsAreRefusedAndEmptyLinesIgnored)
{
    EXPECT_EQ(ask("NO:SUCH:COMMAND"), "*9\r\n");
    EXPECT_EQ(ask("t"), "*9\r\n") << "commands are case-sensitive";
    EXPECT_EQ(ask("TT"), "*9\r\n");
    EXPECT_EQ(ask(QByteArray("\0\xff", 2)), "*9\r\n");
    // A host clears the instrument's input with a bare CR; it must leave no stray status behind.
    EXPECT_EQ(ask(""), "");
    EXPECT_EQ(ask("   "), "");
    EXPECT_TRUE(ask("  *IDN?  ").startsWith("Quorvadine"));
}

TEST_F(InterpreterTest, LaterGroupsPlugInByExactWordOrLongestPrefix)
{
    CommandInterpreter &in = sim.interpreter();
    // Words no group of the instrument uses.
    in.addPrefixCommand("Q", [](const CommandContext &c) { return "Q[" + c.argument + "]\r\n"; });
    in.addPrefixCommand("QX", [](const CommandContext &c) { return "QX[" + c.argument + "]\r\n"; });
    in.addCommand("QS", [](const CommandContext &c) { return "QS(" + c.argument + ")\r\n"; });
    EXPECT_EQ(ask("QXerase"), "QX[erase]\r\n");
    EXPECT_EQ(ask("Qs12"), "Q[s12]\r\n");
    EXPECT_EQ(ask("QS 1,2"), "QS(1,2)\r\n");
    // An exact command registered again replaces the earlier handler.
    in.addCommand("T", [](const CommandContext &) { return QByteArray("replaced\r\n"); });
    EXPECT_EQ(ask("T"), "replaced\r\n");
}

} // namespace

TEST_F(InterpreterTest, TheLineObserverHearsEachLineWithTheReplyEvenWhenSilent)
{
    QList<QPair<QByteArray, QByteArray>> heard;
    HeardLines::setObserver([&](const QByteArray &line, const QByteArray &reply) { heard.append({line, reply}); });
    const QByteArray idn = ask("*IDN?");
    ask("L");
    HeardLines::setObserver({});
    ASSERT_EQ(heard.size(), 2);
    EXPECT_EQ(heard[0], qMakePair(QByteArray("*IDN?"), idn));
    EXPECT_EQ(heard[1], qMakePair(QByteArray("L"), QByteArray()));
}
