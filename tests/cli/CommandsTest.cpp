#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "sim/InstrumentMemory.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/// The tool against a virtual calibrator on a pseudo-terminal, on virtual time.
class CliCommands : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString(); }

    CliResult run(QStringList arguments)
    {
        arguments << QStringLiteral("--port") << sim.devicePath();
        return runTool(arguments);
    }

    /// Lets the calibrator take in what the tool sent last (the tool does not wait for it).
    void letCalibratorHear(const std::function<bool()> &heard)
    {
        QDeadlineTimer cap(3000);
        while (!heard() && !cap.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    ScopedFakeClock fake;
    FakeClock &clock = fake.clock;
    SimPty sim;
};

TEST_F(CliCommands, IdentifyPrintsTheIdentityWithoutLineEnd)
{
    const CliResult result = run({"identify", "--model", "5200"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const InstrumentMemory &m = sim.memory();
    EXPECT_EQ(result.out, QStringLiteral("Quorvadine,5241,%1,%2\n")
                              .arg(QString::fromLatin1(m.serialNumber()), QString::fromLatin1(m.firmwareVersion())));
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
}

TEST_F(CliCommands, InfoShowsTheInformationBoxRows)
{
    sim.memory().setFirmwareVersion("3.07");
    sim.memory().setSerialNumber("SN4711");
    sim.memory().setClock(QDateTime(QDate(2031, 2, 3), QTime(4, 5, 6)), clock.currentDateTime());
    const CliResult result = run({"info"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList rows = result.out.split(QLatin1Char('\n'));
    ASSERT_EQ(rows.size(), 7) << result.out.toStdString(); // six rows and the final line break
    EXPECT_EQ(rows[0], "Version :Version 3.07");
    EXPECT_EQ(rows[1], "S/N SN4711");
    EXPECT_EQ(rows[2], "Model :5241");
    EXPECT_EQ(rows[3], "Date :03/02/2031");
    EXPECT_TRUE(rows[4].startsWith("Time :04:05:0")) << rows[4].toStdString();
    EXPECT_EQ(rows[5], "*0");
    EXPECT_EQ(rows[6], "");
    EXPECT_TRUE(result.err.isEmpty());
}

TEST_F(CliCommands, SendGathersLinesUpToTheStatusLine)
{
    QString expected;
    for (qint32 factor : sim.memory().factors(1))
        expected += QString::number(factor) + QLatin1Char('\n');
    ASSERT_FALSE(expected.isEmpty());
    expected += QStringLiteral("*0\n");

    const CliResult result = run({"send", "CAL:PRINT 001", "--end", "1"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, expected);

    // Unquoted words make one command; end condition 0 keeps only the first line.
    const CliResult first = run({"send", "CAL:PRINT", "001", "--end", "0"});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.out, QString::number(sim.memory().factors(1).constFirst()) + QLatin1Char('\n'));
}

TEST_F(CliCommands, SendWithoutWaitingReturnsAtOnceAndTheCommandArrives)
{
    const qint64 start = clock.nowMs();
    const CliResult result = run({"send", "--no-wait", "SYSTEM:PASSWORD 5820316"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.isEmpty());
    // Opening the port and pacing take a fraction of a second; no reply is awaited.
    EXPECT_LT(clock.nowMs() - start, 1000);
    letCalibratorHear([this] { return sim.memory().systemUnlocked(); });
    EXPECT_TRUE(sim.memory().systemUnlocked());
}

TEST_F(CliCommands, SilentCalibratorIsUnreachableOnceEachCommandsTimeoutRunsOut)
{
    sim.knobs().silent = true;
    qint64 start = clock.nowMs();
    const CliResult identify = run({"identify"});
    EXPECT_EQ(identify.exitCode, 2);
    EXPECT_TRUE(identify.out.isEmpty());
    EXPECT_TRUE(identify.err.contains(QStringLiteral("no answer to *IDN? from RS-232 port"))) << identify.err.toStdString();
    EXPECT_TRUE(identify.err.contains(sim.devicePath()));
    EXPECT_GE(clock.nowMs() - start, 2000);

    // info shows the time-out as the Information box does.
    const CliResult info = run({"info"});
    EXPECT_EQ(info.exitCode, 2);
    EXPECT_EQ(info.out, "Version :TIMEOUT\n");
    EXPECT_TRUE(info.err.contains(QStringLiteral("no answer to T"))) << info.err.toStdString();

    start = clock.nowMs();
    const CliResult send = run({"send", "T", "--timeout", "3"});
    const qint64 waited = clock.nowMs() - start;
    EXPECT_EQ(send.exitCode, 2);
    EXPECT_EQ(send.out, "TIMEOUT\n");
    EXPECT_GE(waited, 3000);
    EXPECT_LT(waited, 5000);
}

TEST_F(CliCommands, TraceShowsEveryCommandAndReplyWithItsTime)
{
    const CliResult result = run({"--trace", "send", "CAL:PRINT 002"});
    EXPECT_EQ(result.exitCode, 0);
    const QStringList lines = result.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d \\S"));
    for (const QString &line : lines)
        EXPECT_TRUE(stamped.match(line).hasMatch()) << "not a trace line: " << line.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral(" send CAL:PRINT 002\\r\n"))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral(" recv "))) << result.err.toStdString();
    // The reply as the exchange gathered it: lines joined by CR, up to the status line.
    EXPECT_TRUE(result.err.contains(QStringLiteral("*0\\r\n"))) << result.err.toStdString();
    // The trace leaves the results alone.
    EXPECT_TRUE(result.out.endsWith("*0\n"));

    // Off again for the next run.
    const CliResult quiet = run({"send", "CAL:PRINT 002"});
    EXPECT_TRUE(quiet.err.isEmpty()) << quiet.err.toStdString();
}

TEST_F(CliCommands, TraceFileHoldsTheRecordsAsCsvAndStderrStaysQuiet)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.csv"));
    const CliResult result = run({"--trace-file", path, "send", "CAL:PRINT 002"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 4) << rows.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rows[0], "time,duration_ms,interface,direction,text,outcome");
    int sends = 0;
    for (const QString &row : rows.mid(1)) {
        if (row.contains(QLatin1String(",send,CAL:PRINT 002\\r,answered"))) {
            ++sends;
            EXPECT_TRUE(row.contains(sim.devicePath())) << row.toStdString();
        }
    }
    EXPECT_EQ(sends, 1) << rows.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(rows.last().contains(QLatin1String(",recv,")) || rows.last().contains(QLatin1String(",close,")));

    // Both at once: the text on stderr, the rows in the file.
    const CliResult both = run({"--trace", "--trace-file", path, "send", "CAL:PRINT 002"});
    EXPECT_EQ(both.exitCode, 0);
    EXPECT_TRUE(both.err.contains(QStringLiteral(" send CAL:PRINT 002\\r\n"))) << both.err.toStdString();
}

TEST_F(CliCommands, TraceFileThatCannotBeWrittenExitsFourNamingIt)
{
    const QString path = QStringLiteral("/no/such/folder/trace.csv");
    const int heard = sim.calibrator.commandsHeard();
    const CliResult result = run({"--trace-file", path, "send", "CAL:PRINT 002"});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_TRUE(result.err.contains(path)) << result.err.toStdString();
    EXPECT_EQ(sim.calibrator.commandsHeard(), heard) << "nothing is sent without the trace asked for";
}

TEST_F(CliCommands, PortThatWillNotOpenIsUnreachable)
{
    const CliResult result = runTool({"identify", "--port", "/dev/no-such-calibrator"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("cannot use RS-232 port"))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("/dev/no-such-calibrator")));
}

struct FamilyCase
{
    const char *instrument;
    const char *driverModel;
    int exitCode;
};

void PrintTo(const FamilyCase &c, std::ostream *os)
{
    *os << c.instrument << " on the " << c.driverModel << " driver";
}

class IdentifyFamily : public ::testing::TestWithParam<FamilyCase>
{
protected:
    ScopedFakeClock fake;
};

TEST_P(IdentifyFamily, ExitsThreeWhenTheDriverDoesNotAcceptTheInstrument)
{
    const FamilyCase &c = GetParam();
    SimPty sim(QString::fromLatin1(c.instrument));
    ASSERT_TRUE(sim.isOpen());
    const CliResult result = runTool({"identify", "--model", c.driverModel, "--port", sim.devicePath()});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    // The identity is printed either way: it says what was found.
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("Quorvadine,%1,").arg(c.instrument))) << result.out.toStdString();
    EXPECT_EQ(result.err.isEmpty(), c.exitCode == 0) << result.err.toStdString();
    if (c.exitCode == 3) {
        EXPECT_TRUE(result.err.contains(QStringLiteral("driver"))) << result.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(CliCommands, IdentifyFamily,
                         ::testing::Values(FamilyCase{"5241", "5200", 0}, FamilyCase{"6481", "5200", 3},
                                           FamilyCase{"5600", "5600", 0}, FamilyCase{"5241", "5600", 3},
                                           FamilyCase{"6481", "6400", 0}));

} // namespace
