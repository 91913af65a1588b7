// output set, output on, output standby: the calibrator's output as the "Calibrator" window
// drives it.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/Reply.h"
#include "procedures/CalibratorOutput.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace {

/// The reply without its status line: what the calibrator's display shows.
QStringList displayLines(const QString &reply)
{
    QStringList lines = SplitLines(reply);
    while (!lines.isEmpty() && (lines.last().isEmpty() || lines.last().startsWith(QLatin1Char('*'))))
        lines.removeLast();
    return lines;
}

int setOutput(RunContext &run)
{
    // Unquoted words are one setting: output set 10 V.
    const QString setting = run.arguments().join(QLatin1Char(' '));
    if (setting.contains(QLatin1Char('\r')) || setting.contains(QLatin1Char('\n')))
        return run.usageError(QStringLiteral("the setting must be a single line"));
    // A number read only up to its first bad character would be sent as a value never typed.
    if (!CalibratorOutput::isSetting(setting))
        return run.usageError(QStringLiteral("output set needs a number and a unit as TEXT (such as 10V or 1.5mA), "
                                             "not \"%1\"")
                                  .arg(setting));
    CalibratorOutput output(run.channel());
    const std::optional<QString> display = output.setOutput(setting).display;
    const QString command = QStringLiteral("o") + setting.trimmed();
    if (!display) {
        const QString reply = output.lastSettingReply();
        if (reply.isEmpty() || run.exchangeFailed())
            return run.unreachable(command);
        return run.notTaken(command, reply);
    }
    if (display->isEmpty() || run.exchangeFailed())
        return run.unreachable(QStringLiteral("X"));
    const QStringList lines = displayLines(*display);
    for (const QString &line : lines)
        run.out() << line << '\n';
    if (run.json())
        run.printJson({{QStringLiteral("setting"), setting.trimmed()},
                       {QStringLiteral("display"), QJsonArray::fromStringList(lines)}});
    return ExitSuccess;
}

int switchOutput(RunContext &run, const QString &command)
{
    const QString reply = run.channel().SendString(command, true, CalibratorOutput::kTimeoutSeconds, 1);
    if (reply.isEmpty() || run.exchangeFailed())
        return run.unreachable(command);
    if (!Reply::isSuccess(reply))
        return run.fail(
            ExitRefused,
            QStringLiteral("the calibrator refused %1 (it answered %2)").arg(command, RunContext::oneLine(reply)));
    if (run.json())
        run.printJson({{QStringLiteral("command"), command}, {QStringLiteral("reply"), RunContext::oneLine(reply)}});
    return ExitSuccess;
}

int outputOn(RunContext &run)
{
    return switchOutput(run, QStringLiteral("S0"));
}

int outputStandby(RunContext &run)
{
    return switchOutput(run, QStringLiteral("S1"));
}

} // namespace

QList<CliCommand> outputCommands()
{
    return {
        {.words = {QStringLiteral("output"), QStringLiteral("set")},
         .argumentUsage = QStringLiteral("TEXT"),
         .summary = QStringLiteral("send the output setting (\"o\" and TEXT, e.g. 10V); when it is taken, print "
                                   "the calibrator's display; exit 3 when it is refused"),
         .json = QStringLiteral("{\"setting\", \"display\": [the display's lines]}"),
         .minArguments = 1,
         .maxArguments = CliCommand::kAnyNumber,
         .run = setOutput},
        {.words = {QStringLiteral("output"), QStringLiteral("on")},
         .summary = QStringLiteral("switch the output on (S0)"),
         .json = QStringLiteral("{\"command\": \"S0\", \"reply\"}"),
         .run = outputOn},
        {.words = {QStringLiteral("output"), QStringLiteral("standby")},
         .summary = QStringLiteral("switch the output to standby (S1)"),
         .json = QStringLiteral("{\"command\": \"S1\", \"reply\"}"),
         .run = outputStandby},
    };
}
