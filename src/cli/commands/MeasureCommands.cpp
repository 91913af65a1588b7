// measure: one reading of the reference DMM, set up for a function and value as SetRange does.

#include "cli/CommandGroups.h"
#include "cli/JsonOutput.h"
#include "cli/RunContext.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/ReadingFormat.h"
#include "instrument/TypedNumber.h"

#include <QJsonObject>
#include <QTextStream>

namespace {

const QStringList kFunctions = {QStringLiteral("DCV"),  QStringLiteral("DCI"), QStringLiteral("ACV"),
                                QStringLiteral("ACI"),  QStringLiteral("RES"), QStringLiteral("FRES"),
                                QStringLiteral("FREQ"), QStringLiteral("PRT"), QStringLiteral("THERMOCOUPLE")};

int measure(RunContext &run)
{
    const QString function = run.arguments().at(0).toUpper();
    if (!kFunctions.contains(function))
        return run.usageError(QStringLiteral("measure needs one of %1 as FN, not \"%2\"")
                                  .arg(kFunctions.join(QStringLiteral(", ")), run.arguments().at(0)));
    // Read in full, "." as decimal point whatever the locale, as the value goes to the instrument.
    const std::optional<double> typed = TypedNumber::parseNumber(run.arguments().at(1));
    if (!typed)
        return run.usageError(QStringLiteral("measure needs a number as VALUE, not \"%1\"").arg(run.arguments().at(1)));
    const double value = *typed;

    IDVM &dvm = run.dvm();
    dvm.SetRange(function, value);
    if (run.exchangeFailed())
        return run.unreachable(InstrumentDriver::rangeCommand(function, value));
    QString reading = dvm.Read();
    if (reading.isEmpty() || run.exchangeFailed())
        return run.unreachable(QStringLiteral("READ?"));
    while (reading.endsWith(QLatin1Char('\r')))
        reading.chop(1);
    // The raw reading, then the same in engineering notation (unchanged when it has no exponent).
    const QString engineering = formatEngineeringReading(reading).value_or(reading);
    if (run.json()) {
        QJsonObject document = JsonOutput::figure(reading);
        document.insert(QStringLiteral("function"), function);
        document.insert(QStringLiteral("engineering"), engineering);
        run.printJson(document);
    }
    run.out() << reading << '\n' << engineering << '\n';
    return ExitSuccess;
}

} // namespace

QList<CliCommand> measureCommands()
{
    return {
        {.words = {QStringLiteral("measure")},
         .argumentUsage = QStringLiteral("FN VALUE"),
         .summary = QStringLiteral("set the reference DMM up for FN (DCV, DCI, ACV, ACI, RES, FRES, FREQ, PRT, "
                                   "THERMOCOUPLE) and VALUE, read once, print the raw reading and its "
                                   "engineering form"),
         .json = QStringLiteral("{\"function\", \"text\": the raw reading, \"value\": its number or null, "
                                "\"engineering\"}"),
         .minArguments = 2,
         .maxArguments = 2,
         .run = measure},
    };
}
