// history: the calibrator's calibration events as the "Calibration History" window lists them.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/Reply.h"
#include "procedures/CalibrationHistory.h"

#include <QTextStream>

namespace {

int history(RunContext &run)
{
    const QString reply =
        run.channel().SendString(CalibrationHistory::Command, true, CalibrationHistory::kTimeoutSeconds, 1);
    if (reply.isEmpty() || run.exchangeFailed())
        return run.unreachable(CalibrationHistory::Command);
    const QStringList lines = SplitLines(reply);
    QString status;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('*')))
            status = line;
    }
    if (!status.startsWith(QLatin1String("*0")))
        return run.fail(ExitRefused,
                        QStringLiteral("the calibrator did not give its history (it answered %1)")
                            .arg(status.isEmpty() ? lines.constLast() : status));

    // Newest first, each date in one fixed form and then its ranges, one a line.
    const CalibrationHistory parsed = CalibrationHistory::parse(reply);
    const QList<CalEvent> &events = parsed.events();
    for (int k = parsed.dateLineCount(); k >= 1; --k) {
        const CalEvent &event = events.at(k);
        run.out() << (event.dateValid ? event.eventDate.date().toString(Qt::ISODate) : QStringLiteral("---")) << '\n';
        for (const QString &item : CalibrationHistory::rangeItems(event))
            run.out() << "  " << item << '\n';
    }
    return ExitSuccess;
}

} // namespace

QList<CliCommand> historyCommands()
{
    return {
        {.words = {QStringLiteral("history")},
         .summary = QStringLiteral("list the calibration events, newest first, each date followed by its ranges "
                                   "as \"name (n)\""),
         .run = history},
    };
}
