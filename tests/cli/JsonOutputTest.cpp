#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

namespace {

/// The reporting commands with and without --json against one virtual calibrator on virtual time.
class JsonOutputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        fake.clock.pauseSettleMs = 1;
    }

    CliResult run(QStringList arguments, bool errIsTerminal = false)
    {
        arguments << QStringLiteral("--port") << sim.devicePath();
        CliResult result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.exitCode = runCli(arguments, out, err, errIsTerminal);
        out.flush();
        err.flush();
        return result;
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    ScopedFakeClock fake;
    SimPty sim;
    QTemporaryDir dir;
};

QJsonObject parsed(const QString &out)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out.toStdString();
    EXPECT_TRUE(document.isObject()) << out.toStdString();
    return document.object();
}

QStringList textLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines;
}

QString str(const QJsonObject &o, const char *key)
{
    return o.value(QLatin1String(key)).toString();
}

/// One command: its arguments, and how its document's facts show in the text of the same run.
struct JsonCase
{
    const char *name;
    QStringList arguments;
    std::function<void(const QJsonObject &json, const QStringList &text)> agrees;
};

TEST_F(JsonOutputTest, EachReportingCommandPrintsOneDocumentWithTheFactsOfItsText)
{
    // A file to compare against: the instrument's factors with one changed.
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    ASSERT_EQ(run({"spec", "read", path("meter.spec")}).exitCode, 0);

    const QList<JsonCase> cases = {
        {"identify",
         {"identify"},
         [](const QJsonObject &json, const QStringList &text) {
             ASSERT_EQ(text.size(), 1);
             EXPECT_EQ(str(json, "identity"), text[0]);
             const QStringList fields = text[0].split(QLatin1Char(','));
             EXPECT_EQ(str(json, "model"), fields.value(1));
             EXPECT_EQ(str(json, "serial"), fields.value(2));
             EXPECT_EQ(str(json, "firmware"), fields.value(3));
         }},
        {"info",
         {"info"},
         [](const QJsonObject &json, const QStringList &text) {
             EXPECT_EQ(json.value("rows").toArray().toVariantList().size(), text.size());
             EXPECT_EQ("Version :Version " + str(json, "firmware"), text.value(0));
             EXPECT_EQ("S/N " + str(json, "serial"), text.value(1));
             EXPECT_EQ("Model :" + str(json, "model"), text.value(2));
             EXPECT_EQ("Date :" + str(json, "date"), text.value(3));
             EXPECT_EQ(str(json, "status"), text.constLast());
         }},
        {"clock read",
         {"clock", "read"},
         [](const QJsonObject &json, const QStringList &text) {
             ASSERT_EQ(text.size(), 1);
             EXPECT_EQ(str(json, "dateTime").replace('T', ' '), text[0]);
         }},
        {"history",
         {"history"},
         [](const QJsonObject &json, const QStringList &text) {
             QStringList rebuilt;
             for (const QJsonValue &event : json.value("events").toArray()) {
                 const QJsonObject o = event.toObject();
                 rebuilt << (o.value("date").isNull() ? QStringLiteral("---") : str(o, "date"));
                 const QJsonArray ranges = o.value("ranges").toArray();
                 EXPECT_EQ(ranges.size(), o.value("rangeNumbers").toArray().size());
                 for (const QJsonValue &range : ranges)
                     rebuilt << "  " + range.toString();
             }
             EXPECT_FALSE(rebuilt.isEmpty());
             EXPECT_EQ(rebuilt, text);
         }},
        {"send",
         {"send", "T"},
         [](const QJsonObject &json, const QStringList &text) {
             EXPECT_EQ(json.value("lines").toVariant().toStringList(), text);
             EXPECT_EQ(str(json, "status"), text.constLast());
         }},
        {"cal diff",
         {"cal", "diff", "meter.cal"},
         [](const QJsonObject &json, const QStringList &text) {
             EXPECT_EQ(str(json, "left"), "instrument");
             EXPECT_EQ(json.value("differences").toArray().size(), 0);
             EXPECT_EQ(text, QStringList{"no figure differs"});
         }},
        {"cal read",
         {"cal", "read", "again.cal"},
         [](const QJsonObject &json, const QStringList &text) {
             ASSERT_EQ(text.size(), 1);
             EXPECT_EQ(text[0],
                       QStringLiteral("%1 factors of %2 ranges written to %3")
                           .arg(json.value("values").toInt())
                           .arg(json.value("rows").toInt())
                           .arg(str(json, "file")));
         }},
        {"spec read",
         {"spec", "read", "again.spec"},
         [](const QJsonObject &json, const QStringList &text) {
             ASSERT_EQ(text.size(), 1);
             EXPECT_EQ(text[0],
                       QStringLiteral("%1 rows of the specification table written to %2")
                           .arg(json.value("rows").toInt())
                           .arg(str(json, "file")));
             EXPECT_GT(json.value("values").toInt(), 0);
         }},
        {"spec write",
         {"spec", "write", "meter.spec"},
         [](const QJsonObject &json, const QStringList &text) {
             ASSERT_GE(text.size(), 1);
             EXPECT_EQ(text[0],
                       QStringLiteral("%1 figures sent, %2 accepted")
                           .arg(json.value("sent").toInt())
                           .arg(json.value("accepted").toInt()));
             const QJsonArray cells = json.value("cells").toArray();
             ASSERT_FALSE(cells.isEmpty());
             const QJsonObject first = cells.first().toObject();
             EXPECT_EQ(first.value("value").toDouble(), str(first, "text").toDouble());
         }},
        {"output set",
         {"output", "set", "10V"},
         [](const QJsonObject &json, const QStringList &text) {
             EXPECT_EQ(str(json, "setting"), "10V");
             EXPECT_EQ(json.value("display").toVariant().toStringList(), text);
         }},
    };
    for (const JsonCase &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList arguments;
        for (const QString &argument : c.arguments)
            arguments << (argument.contains(QLatin1Char('.')) ? path(argument) : argument);
        const CliResult text = run(arguments);
        const CliResult json = run(arguments + QStringList{"--json"});
        EXPECT_EQ(json.exitCode, text.exitCode) << json.err.toStdString();
        EXPECT_EQ(json.exitCode, 0) << json.err.toStdString();
        c.agrees(parsed(json.out), textLines(text.out));
    }
}

TEST_F(JsonOutputTest, AFigureKeepsTheInstrumentsTextBesideItsValue)
{
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    QFile file(path("meter.cal"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromLatin1(file.readAll());
    file.close();
    // One figure of the file becomes another number, so the two sides differ at exactly one place.
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    const QStringList fields = lines.value(1).split(QLatin1Char(','));
    ASSERT_GE(fields.size(), 2) << text.toStdString();
    QStringList changed = fields;
    changed[1] = QStringLiteral("+12345");
    text.replace(lines.value(1), changed.join(QLatin1Char(',')));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toLatin1());
    file.close();

    const CliResult result = run({"cal", "diff", path("meter.cal"), "--json"});
    EXPECT_EQ(result.exitCode, 3) << result.err.toStdString(); // the verdict, and the document with it
    const QJsonArray differences = parsed(result.out).value("differences").toArray();
    ASSERT_EQ(differences.size(), 1) << result.out.toStdString();
    const QJsonObject right = differences[0].toObject().value("right").toObject();
    EXPECT_EQ(str(right, "text"), "+12345");
    EXPECT_EQ(right.value("value").toDouble(), 12345.0);
    const QJsonObject left = differences[0].toObject().value("left").toObject();
    EXPECT_EQ(str(left, "text"), fields[1].trimmed());
}

TEST_F(JsonOutputTest, AFailingCommandKeepsItsExitStatusAndPrintsNothingOnStdout)
{
    const struct
    {
        QStringList arguments;
        int exitCode;
    } failures[] = {
        {{"cal", "write", "no-such-file.cal", "--json"}, 4},
        {{"measure", "DCV", "ten", "--json"}, 1},
        {{"output", "set", "2000V", "--json"}, 3},
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(f.arguments.join(' ').toStdString());
        QStringList withoutJson = f.arguments;
        withoutJson.removeAll("--json");
        const CliResult text = run(withoutJson);
        const CliResult json = run(f.arguments);
        EXPECT_EQ(text.exitCode, f.exitCode) << text.err.toStdString();
        EXPECT_EQ(json.exitCode, text.exitCode);
        EXPECT_EQ(json.out, "");
        EXPECT_EQ(json.err, text.err);
    }
    const CliResult unreachable = runTool({"identify", "--json", "--port", "/dev/no-such-calibrator"});
    EXPECT_EQ(unreachable.exitCode, 2);
    EXPECT_EQ(unreachable.out, "");
}

/// A long command, whether stderr is a terminal, and the counter's first and last text ("" when
/// nothing may be shown).
struct ProgressCase
{
    const char *name;
    QStringList arguments;
    bool terminal;
    QString first;
    QString last;
};

class ProgressLineTest : public JsonOutputTest, public ::testing::WithParamInterface<ProgressCase>
{
};

TEST_P(ProgressLineTest, CountsOnATerminalOnlyAndClearsItsLine)
{
    const ProgressCase &c = GetParam();
    QStringList arguments = c.arguments;
    arguments.replaceInStrings("@", dir.path() + '/');
    const CliResult result = run(arguments, c.terminal);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_FALSE(result.out.contains('\r')) << "the counter stays off stdout";
    if (c.first.isEmpty()) {
        EXPECT_EQ(result.err, "");
        return;
    }
    EXPECT_TRUE(result.err.startsWith('\r' + c.first)) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains('\r' + c.last)) << result.err.toStdString();
    // The line is blanked at the end, so what is printed next starts at the margin.
    EXPECT_TRUE(result.err.endsWith(QString(c.last.size(), ' ') + '\r')) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    LongCommands, ProgressLineTest,
    ::testing::Values(ProgressCase{"CalRead", {"cal", "read", "@a.cal"}, true, "range 1/149", "range 149/149"},
                      ProgressCase{"CalReadPiped", {"cal", "read", "@a.cal"}, false, "", ""},
                      // The snapshot of the factors a clear replaces is the long part of a setup.
                      ProgressCase{"SetupClear", {"setup", "--clear-cal"}, true, "factors 1/149", "factors 149/149"},
                      ProgressCase{"SetupClearPiped", {"setup", "--clear-cal"}, false, "", ""},
                      // Both tables are kept before an erase, one after the other on the same line
                      // (the calibrator holds fewer rows than the 60 a reading expects).
                      ProgressCase{"Wipe", {"wipe", "--yes"}, true, "factors 1/149", "specifications 1/60"},
                      ProgressCase{"WipePiped", {"wipe", "--yes"}, false, "", ""}),
    [](const ::testing::TestParamInfo<ProgressCase> &info) { return std::string(info.param.name); });

} // namespace
