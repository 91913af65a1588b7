// identify, info, send: what a first contact with an instrument needs.

#include "cli/CommandGroups.h"
#include "cli/JsonOutput.h"
#include "cli/RunContext.h"
#include "instrument/CommandHelpers.h"
#include "instrument/IDVM.h"
#include "instrument/InformationText.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace {

constexpr int kInfoTimeoutSeconds = 5;
constexpr int kSendDefaultTimeoutSeconds = 5;
constexpr int kSendMaxTimeoutSeconds = 32767; // the drivers take a 16-bit time-out
constexpr int kGatherUntilStatusLine = 1;

const QString kNoWait = QStringLiteral("no-wait");
const QString kTimeout = QStringLiteral("timeout");
const QString kEnd = QStringLiteral("end");

/// A reply as lines on the terminal: each CR a line break, and a line break at the end.
void printReply(QTextStream &out, const QString &reply)
{
    if (reply.isEmpty())
        return;
    QString text = reply;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    out << text;
}

int identify(RunContext &run)
{
    IDVM &dvm = run.dvm();
    const QString reply = dvm.Identify();
    if (reply.isEmpty() || run.exchangeFailed())
        return run.unreachable(QStringLiteral("*IDN?"));
    QString id = reply;
    // Identify keeps the LF of a USB answer; the terminal gets one line either way.
    while (id.endsWith(QLatin1Char('\r')) || id.endsWith(QLatin1Char('\n')))
        id.chop(1);
    const bool accepted = dvm.CheckIdentity(id);
    if (run.json()) {
        // An instrument the driver does not take is a refusal: nothing on stdout.
        if (accepted)
            run.printJson(JsonOutput::identity(id));
    } else {
        printReply(run.out(), id);
    }
    if (!accepted) {
        const QString driver = dvm.GetDescription().section(QLatin1String("\r\n"), 0, 0);
        return run.fail(ExitRefused,
                        QStringLiteral("%1 is not an instrument the %2 driver works with "
                                       "(--model chooses another driver)")
                            .arg(run.connectionDescription(), driver));
    }
    return ExitSuccess;
}

/// Line n of the reply with a label taken off its front, when it has it.
QString field(const QStringList &lines, int n, const QString &label = {})
{
    QString text = lines.value(n).trimmed();
    if (!label.isEmpty() && text.startsWith(label))
        text = text.mid(label.size()).trimmed();
    return text;
}

/// The information rows' facts: the lines of the answer to T in order are the firmware version,
/// the serial number, the model, the date and the time, then the status line.
QJsonObject informationJson(const QString &reply)
{
    const QStringList lines = SplitLines(reply);
    return {{QStringLiteral("firmware"), field(lines, 0, QStringLiteral("Version"))},
            {QStringLiteral("serial"), field(lines, 1, QStringLiteral("S/N"))},
            {QStringLiteral("model"), field(lines, 2)},
            {QStringLiteral("date"), field(lines, 3)},
            {QStringLiteral("time"), field(lines, 4)},
            {QStringLiteral("status"), lines.size() > 5 ? lines.constLast().trimmed() : QString()},
            {QStringLiteral("rows"), QJsonArray::fromStringList(InformationText::rows(reply))}};
}

int info(RunContext &run)
{
    const QString reply = run.dvm().SendString(QStringLiteral("T"), true, kInfoTimeoutSeconds, kGatherUntilStatusLine);
    // A failure the route spells as a time-out shows as the window shows it, "Version :TIMEOUT",
    // before the exit; any other failure shows nothing.
    const bool shownAsTimeout = run.exchangeFailed() && reply == run.lastReply().spelling.timedOut;
    if (reply.isEmpty() || (run.exchangeFailed() && !shownAsTimeout))
        return run.unreachable(QStringLiteral("T"));
    if (run.json() && !run.exchangeFailed())
        run.printJson(informationJson(reply));
    for (const QString &row : InformationText::rows(reply))
        run.out() << row << '\n';
    if (run.exchangeFailed())
        return run.unreachable(QStringLiteral("T"));
    return ExitSuccess;
}

/// The reply's status line ("*0"), null when it has none.
QJsonValue statusLine(const QString &reply)
{
    const QStringList lines = SplitLines(reply);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (it->startsWith(QLatin1Char('*')))
            return it->trimmed();
    }
    return QJsonValue::Null;
}

int send(RunContext &run)
{
    // Unquoted words are one command: send CAL:PRINT 001.
    const QString command = run.arguments().join(QLatin1Char(' '));
    if (command.contains(QLatin1Char('\r')) || command.contains(QLatin1Char('\n')))
        return run.usageError(QStringLiteral("the command must be a single line"));
    int timeout = 0;
    int end = 0;
    if (!run.intValue(kTimeout, 0, kSendMaxTimeoutSeconds, kSendDefaultTimeoutSeconds, &timeout)
        || !run.intValue(kEnd, 0, 1, kGatherUntilStatusLine, &end))
        return ExitUsage;
    const bool wait = !run.isSet(kNoWait);

    const QString reply = run.dvm().SendString(command, wait, timeout, end);
    printReply(run.out(), reply);
    if (run.exchangeFailed())
        return run.unreachable(command);
    if (run.json()) {
        QJsonObject document{{QStringLiteral("command"), command},
                             {QStringLiteral("lines"), QJsonArray::fromStringList(SplitLines(reply))}};
        document.insert(QStringLiteral("status"), statusLine(reply));
        run.printJson(document);
    }
    return ExitSuccess;
}

} // namespace

QList<CliCommand> basicCommands()
{
    return {
        {.words = {QStringLiteral("identify")},
         .summary = QStringLiteral("ask the instrument who it is (*IDN?); exit 3 when the driver does not accept it"),
         .json = QStringLiteral("{\"identity\", \"model\", \"serial\", \"firmware\"}"),
         .run = identify},
        {.words = {QStringLiteral("info")},
         .summary = QStringLiteral("show version, model, date and time as the main window's Information box does"),
         .json = QStringLiteral("{\"firmware\", \"serial\", \"model\", \"date\", \"time\", \"status\", \"rows\": "
                                "[the text's rows]}"),
         .run = info},
        {.words = {QStringLiteral("send")},
         .argumentUsage = QStringLiteral("TEXT"),
         .summary = QStringLiteral("send one command and print the reply, one line per row"),
         .json = QStringLiteral("{\"command\", \"lines\": [the reply's lines], \"status\": \"*0\" or null}"),
         .minArguments = 1,
         .maxArguments = CliCommand::kAnyNumber,
         .options = {{kNoWait, QString(), QStringLiteral("send without waiting for a reply")},
                     {kTimeout, QStringLiteral("S"), QStringLiteral("seconds of silence before giving up (default 5)")},
                     {kEnd, QStringLiteral("0|1"),
                      QStringLiteral("0: the first line is the reply; 1: lines up to one with \"*\" (default)")}},
         .run = send},
    };
}
