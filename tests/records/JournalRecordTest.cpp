#include "records/JournalRecord.h"

#include "RecordSamples.h"
#include "fixtures/FakeClock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

JournalRecord readBack(const QByteArray &line)
{
    JournalRecord read;
    QString reason;
    EXPECT_TRUE(JournalRecord::fromLine(line, &read, &reason)) << reason.toStdString() << "\n" << line.toStdString();
    return read;
}

TEST(JournalRecord, EveryFieldComesBackFromItsLine)
{
    JournalRecord noFiles = fullRecord();
    noFiles.file.reset();
    noFiles.snapshot.reset();
    noFiles.changes.clear();
    noFiles.forced = false;
    noFiles.instrument = InstrumentIdentity{};
    for (const JournalRecord &record : {fullRecord(), noFiles}) {
        const QByteArray line = record.toLine();
        EXPECT_FALSE(line.contains('\n')) << line.toStdString();
        EXPECT_FALSE(line.contains('\r')) << line.toStdString();
        EXPECT_EQ(readBack(line), record);
        // The same record always gives the same bytes: the chain depends on it.
        EXPECT_EQ(readBack(line).toLine(), line);
    }
    for (JournalOutcome outcome :
         {JournalOutcome::Done, JournalOutcome::Partial, JournalOutcome::Failed, JournalOutcome::Refused}) {
        JournalRecord record = numberedRecord(1);
        record.outcome = outcome;
        EXPECT_EQ(readBack(record.toLine()).outcome, outcome) << JournalRecord::outcomeWord(outcome).toStdString();
    }
}

TEST(JournalRecord, KeysStandInTheirFixedOrder)
{
    JournalRecord r = numberedRecord(2, digestOf('a'));
    r.time = r.time.addMSecs(250).toOffsetFromUtc(3600); // written in UTC whatever zone it came in
    const QByteArray expected =
        R"({"time":"2026-12-08T10:00:02.250Z","user":"ana","host":"bench","program":{"name":"calsetup","version":"1.0.0"},)"
        R"("operation":"cal write 2","instrument":{"identity":"Quorvadine,5241,SN4711,3.07","model":"5241",)"
        R"("serial":"SN4711","firmware":"3.07"},"connection":"RS-232 port 1","file":{"path":"/tmp/2.cal","sha256":")"
        + QByteArray(64, 'a')
        + R"("},"snapshot":null,"changes":[{"table":"cal","range":1,"column":0,"before":"2","after":"3","verified":true}],)"
          R"("outcome":"done","forced":false,"prev":")"
        + QByteArray(64, '0') + R"("})";
    EXPECT_EQ(r.toLine(), expected);
}

TEST(JournalRecord, KeysItDoesNotKnowArePassedOver)
{
    const JournalRecord record = fullRecord();
    QByteArray line = record.toLine();
    line.insert(1, R"("signature":{"alg":"none","parts":[1,2,null]},)");
    line.replace(R"("instrument":{)", R"("instrument":{"options":"kV",)");
    line.replace(R"("verified":true)", R"("verified":true,"by":"readback")");
    EXPECT_EQ(readBack(line), record);
}

TEST(JournalRecord, MalformedKeysAreRefusedByName)
{
    struct Case
    {
        const char *from;
        const char *to;
        const char *reason;
    };
    const Case cases[] = {
        {R"("time":"2026-12-08T10:00:01.000Z")", R"("time":"yesterday")", R"("time" is not a date and time)"},
        {R"("user":"ana",)", "", R"("user" is missing)"},
        {R"("host":"bench")", R"("host":7)", R"("host" is not a string)"},
        {R"("version":"1.0.0")", R"("version":null)", R"("program.version" is not a string)"},
        {R"("serial":"SN4711",)", "", R"("instrument.serial" is missing)"},
        {R"("sha256":"aaaa)", R"("sha256":"AAAA)", R"("file.sha256" is not a SHA-256)"},
        {R"("snapshot":null)", R"("snapshot":"none")", R"("snapshot" is neither an object nor null)"},
        {R"("table":"cal")", R"("table":"factors")", R"("changes[0].table" is neither "cal" nor "spec")"},
        {R"("range":1,)", R"("range":-1,)", R"("changes[0].range" is not a whole number)"},
        {R"("column":0,)", R"("column":0.5,)", R"("changes[0].column" is not a whole number)"},
        {R"("verified":true)", R"("verified":1)", R"("changes[0].verified" is not true or false)"},
        {R"("outcome":"done")", R"("outcome":"Done")", R"("outcome" is not one of done, partial, failed, refused)"},
        {R"("forced":false)", R"("forced":"no")", R"("forced" is not true or false)"},
        {R"("prev":"0000)", R"("prev":"000)", R"("prev" is not a SHA-256)"},
    };
    const QByteArray good = numberedRecord(1, digestOf('a')).toLine();
    ASSERT_EQ(readBack(good), numberedRecord(1, digestOf('a')));
    for (const Case &c : cases) {
        QByteArray line = good;
        ASSERT_TRUE(line.contains(c.from)) << c.from;
        line.replace(line.indexOf(c.from), qstrlen(c.from), c.to);
        JournalRecord read;
        QString reason;
        EXPECT_FALSE(JournalRecord::fromLine(line, &read, &reason)) << line.toStdString();
        EXPECT_TRUE(reason.contains(QLatin1String(c.reason))) << reason.toStdString() << " / wanted " << c.reason;
    }
    QString reason;
    JournalRecord read;
    EXPECT_FALSE(JournalRecord::fromLine("[1,2]", &read, &reason));
    EXPECT_EQ(reason, "not a JSON object");
}

TEST(InstrumentIdentity, TheFieldsOfAnAnswer)
{
    struct Case
    {
        const char *answer;
        const char *identity;
        const char *model;
        const char *serial;
        const char *firmware;
    };
    const Case cases[] = {
        {"Quorvadine,5241,SN4711,3.07\r", "Quorvadine,5241,SN4711,3.07", "5241", "SN4711", "3.07"},
        {"Quorvadine, 6481 , 0042 ,V1.2\r\n", "Quorvadine, 6481 , 0042 ,V1.2", "6481", "0042", "V1.2"},
        {"TIMEOUT", "TIMEOUT", "", "", ""},
    };
    for (const Case &c : cases) {
        const InstrumentIdentity id = InstrumentIdentity::fromAnswer(QLatin1String(c.answer));
        EXPECT_EQ(id.identity, c.identity) << c.answer;
        EXPECT_EQ(id.model, c.model) << c.answer;
        EXPECT_EQ(id.serial, c.serial) << c.answer;
        EXPECT_EQ(id.firmware, c.firmware) << c.answer;
    }
}

TEST(JournalRecord, AStampedRecordSaysWhenAndWhoFromThisProgram)
{
    ScopedFakeClock fake;
    fake.clock.setDateTime(QDateTime(QDate(2027, 3, 4), QTime(5, 6, 7, 89), Qt::OffsetFromUTC, 7200));
    const JournalRecord record = JournalRecord::stamped(QStringLiteral("spec clear"));
    EXPECT_EQ(record.time, QDateTime(QDate(2027, 3, 4), QTime(3, 6, 7, 89), Qt::UTC));
    EXPECT_TRUE(record.toLine().startsWith(R"({"time":"2027-03-04T03:06:07.089Z")")) << record.toLine().toStdString();
    EXPECT_EQ(record.operation, "spec clear");
    EXPECT_FALSE(record.user.isEmpty());
    EXPECT_FALSE(record.host.isEmpty());
    EXPECT_EQ(record.programName, QCoreApplication::applicationName());
    EXPECT_EQ(record.programVersion, QStringLiteral(CALSETUP_VERSION));
}

} // namespace
