// clock read, clock set: the calibrator's real-time clock as the "Date and Time" window sets it.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "platform/Clock.h"
#include "procedures/InstrumentClock.h"

#include <QJsonObject>
#include <QTextStream>

namespace {

const QString kAt = QStringLiteral("at");
// Printed and read in one fixed form, whatever the locale, so scripts can use it.
const QString kDateTimeForm = QStringLiteral("yyyy-MM-dd HH:mm");

QString shown(const QDateTime &at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

/// Prints the clock of a reading; a reply that holds no date is a refusal of sorts.
int report(RunContext &run, const InstrumentClock::Reading &reading)
{
    if (!reading.at)
        return run.fail(ExitRefused,
                        QStringLiteral("%1: the calibrator's date and time could not be read from its answer to T")
                            .arg(InstrumentClock::InvalidReply));
    if (run.json())
        run.printJson({{QStringLiteral("dateTime"), reading.at->toString(Qt::ISODate)}});
    else
        run.out() << shown(*reading.at) << '\n';
    return ExitSuccess;
}

bool failed(const QString &reply, const ExchangeReply &exchange)
{
    return reply.isEmpty() || exchange.failed();
}

int readClock(RunContext &run)
{
    InstrumentClock clock(run.channel());
    const InstrumentClock::Reading reading = clock.read();
    if (failed(reading.reply, reading.exchange))
        return run.unreachable(QStringLiteral("T"), reading.exchange);
    return report(run, reading);
}

int setClock(RunContext &run)
{
    QDateTime at = systemClock().currentDateTime();
    if (run.isSet(kAt)) {
        at = QDateTime::fromString(run.value(kAt).trimmed(), kDateTimeForm);
        if (!at.isValid())
            return run.usageError(
                QStringLiteral("--at needs a date and time as \"YYYY-MM-DD HH:MM\", not \"%1\"").arg(run.value(kAt)));
    }
    InstrumentClock clock(run.channel());
    const InstrumentClock::Setting setting = clock.set(at.date(), at.time());
    if (failed(setting.reply, setting.exchange))
        return run.unreachable(setting.command, setting.exchange);
    if (!setting.accepted)
        return run.notTaken(setting.command, setting.reply);
    if (failed(setting.reread->reply, setting.reread->exchange))
        return run.unreachable(QStringLiteral("T"), setting.reread->exchange);
    return report(run, *setting.reread);
}

} // namespace

QList<CliCommand> clockCommands()
{
    return {
        {.words = {QStringLiteral("clock"), QStringLiteral("read")},
         .summary = QStringLiteral("print the calibrator's date and time (from T)"),
         .json = QStringLiteral("{\"dateTime\": \"YYYY-MM-DDTHH:MM:SS\"}"),
         .run = readClock},
        {.words = {QStringLiteral("clock"), QStringLiteral("set")},
         .summary = QStringLiteral("set the calibrator's clock to the computer's time, or to --at; print it as "
                                   "read back"),
         .json = QStringLiteral("{\"dateTime\"} as read back"),
         .options = {{kAt, QStringLiteral("\"YYYY-MM-DD HH:MM\""), QStringLiteral("the date and time to set")}},
         .run = setClock},
    };
}
