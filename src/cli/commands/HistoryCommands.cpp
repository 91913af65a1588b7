// history: the calibrator's calibration events as the "Calibration History" window lists them.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/Reply.h"
#include "procedures/CalibrationHistory.h"

#include <QJsonArray>
#include <QJsonObject>
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
    QJsonArray listed;
    for (int k = parsed.dateLineCount(); k >= 1; --k) {
        const CalEvent &event = events.at(k);
        const QStringList ranges = CalibrationHistory::rangeItems(event);
        run.out() << (event.dateValid ? event.eventDate.date().toString(Qt::ISODate) : QStringLiteral("---")) << '\n';
        for (const QString &item : ranges)
            run.out() << "  " << item << '\n';
        QJsonArray numbers;
        for (int range = 0; range < CalEvent::kRangeSlots; ++range) {
            if (event.rangeCalibrated.test(range))
                numbers.append(range);
        }
        listed.append(QJsonObject{
            {QStringLiteral("date"),
             event.dateValid ? QJsonValue(event.eventDate.date().toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("ranges"), QJsonArray::fromStringList(ranges)},
            {QStringLiteral("rangeNumbers"), numbers}});
    }
    if (run.json())
        run.printJson({{QStringLiteral("events"), listed}});
    return ExitSuccess;
}

} // namespace

QList<CliCommand> historyCommands()
{
    return {
        {.words = {QStringLiteral("history")},
         .summary = QStringLiteral("list the calibration events, newest first, each date followed by its ranges "
                                   "as \"name (n)\""),
         .json = QStringLiteral("{\"events\": [{\"date\": \"YYYY-MM-DD\" or null, \"ranges\": [\"name (n)\"], "
                                "\"rangeNumbers\": [n]}]}, newest first"),
         .run = history},
    };
}
