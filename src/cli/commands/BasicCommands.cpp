// identify, info, send: what a first contact with an instrument needs.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "instrument/IDVM.h"
#include "instrument/InformationText.h"

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
    printReply(run.out(), id);
    if (!dvm.CheckIdentity(id)) {
        const QString driver = dvm.GetDescription().section(QLatin1String("\r\n"), 0, 0);
        return run.fail(ExitRefused,
                        QStringLiteral("%1 is not an instrument the %2 driver works with "
                                       "(--model chooses another driver)")
                            .arg(run.connectionDescription(), driver));
    }
    return ExitSuccess;
}

int info(RunContext &run)
{
    const QString reply = run.dvm().SendString(QStringLiteral("T"), true, kInfoTimeoutSeconds, kGatherUntilStatusLine);
    // A failure the route spells as a time-out shows as the window shows it, "Version :TIMEOUT",
    // before the exit; any other failure shows nothing.
    const bool shownAsTimeout = run.exchangeFailed() && reply == run.lastReply().spelling.timedOut;
    if (reply.isEmpty() || (run.exchangeFailed() && !shownAsTimeout))
        return run.unreachable(QStringLiteral("T"));
    for (const QString &row : InformationText::rows(reply))
        run.out() << row << '\n';
    if (run.exchangeFailed())
        return run.unreachable(QStringLiteral("T"));
    return ExitSuccess;
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
    return ExitSuccess;
}

} // namespace

QList<CliCommand> basicCommands()
{
    return {
        {.words = {QStringLiteral("identify")},
         .summary = QStringLiteral("ask the instrument who it is (*IDN?); exit 3 when the driver does not accept it"),
         .run = identify},
        {.words = {QStringLiteral("info")},
         .summary = QStringLiteral("show version, model, date and time as the main window's Information box does"),
         .run = info},
        {.words = {QStringLiteral("send")},
         .argumentUsage = QStringLiteral("TEXT"),
         .summary = QStringLiteral("send one command and print the reply, one line per row"),
         .minArguments = 1,
         .maxArguments = CliCommand::kAnyNumber,
         .options = {{kNoWait, QString(), QStringLiteral("send without waiting for a reply")},
                     {kTimeout, QStringLiteral("S"), QStringLiteral("seconds of silence before giving up (default 5)")},
                     {kEnd, QStringLiteral("0|1"),
                      QStringLiteral("0: the first line is the reply; 1: lines up to one with \"*\" (default)")}},
         .run = send},
    };
}
