// cal read, cal write, cal backup, cal restore, cal clear: the calibration-factor window's work
// from a shell, on the same model, so a file written here is the file "Save to File" writes.

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "caldata/CalFile.h"
#include "cli/CliPrompts.h"
#include "cli/CommandGroups.h"
#include "cli/OperationExit.h"
#include "cli/RunContext.h"

#include <QTextStream>

namespace {

using Outcome = CalFactorOperations::Outcome;
using WriteResult = CalFactorOperations::WriteResult;

const QString kYes = QStringLiteral("yes");

/// One command's instrument object, prompts and model, wired together.
struct CalSession
{
    explicit CalSession(RunContext &run) : run(run), prompts(run.isSet(kYes)), operations(table, run.channel(), prompts)
    {
        run.reportFirstFailure();
        CalFactorOperations::Hooks &hooks = operations.hooks();
        hooks.status = [&run](const QString &text) { run.out() << text << Qt::endl; };
        hooks.rangeRead = [this](int, const QString &) { return !this->run.failureReported(); };
    }

    RunContext &run;
    CliPrompts prompts;
    CalFactorTable table;
    CalFactorOperations operations;
};

QString resultWord(WriteResult result)
{
    switch (result) {
    case WriteResult::Accepted:
        return QStringLiteral("ok");
    case WriteResult::PasswordNeeded:
        return QStringLiteral("password needed");
    case WriteResult::NoAnswer:
        return QStringLiteral("no answer");
    case WriteResult::Rejected:
    case WriteResult::NotANumber:
    case WriteResult::NotSent:
        break;
    }
    return QStringLiteral("rejected");
}

int calRead(RunContext &run)
{
    const QString path = run.arguments().constFirst();
    CalSession session(run);
    int rangesRead = 0;
    session.operations.hooks().rangeRead = [&](int range, const QString &) {
        rangesRead = range;
        return !run.failureReported();
    };
    const Outcome outcome = session.operations.loadFromCalibrator();
    // A table with holes where an exchange failed would pass for the instrument's memory: no
    // file is written, and an existing one is left as it was.
    if (run.failureReported())
        return ExitUnreachable;
    if (outcome != Outcome::Done)
        return run.fail(ExitRefused, QStringLiteral("the answer to CAL:PRINT %1 holds more factors than the table "
                                                    "has columns; %2 was not written")
                                         .arg(rangesRead + 1, 3, 10, QLatin1Char('0'))
                                         .arg(path));
    QString error;
    if (!CalFile::save(session.table, path, &error))
        return run.fail(ExitUsage, QStringLiteral("Backup not saved: cannot write %1: %2").arg(path, error));
    int factors = 0;
    for (int row = 1; row < session.table.rowCount(); ++row) {
        for (int column = 1; column < session.table.columnCount(); ++column)
            factors += session.table.text(row, column).isEmpty() ? 0 : 1;
    }
    run.out() << QStringLiteral("%1 factors of %2 ranges written to %3")
                     .arg(factors)
                     .arg(CalFactorTable::kLastRange)
                     .arg(path)
              << Qt::endl;
    return ExitSuccess;
}

int calWrite(RunContext &run)
{
    const QString path = run.arguments().constFirst();
    CalSession session(run);
    QString error;
    if (!session.operations.loadFromFile(path, &error))
        return run.fail(ExitUsage, QStringLiteral("Calibration Settings Not Loaded: %1: %2; nothing was sent")
                                       .arg(path, error));

    session.operations.hooks().cellWritten = [&](const CalFactorOperations::CellWrite &w) {
        if (w.result == WriteResult::NotSent) {
            run.err() << QStringLiteral("calsetup-cli: range %1 column %2 (%3) not sent: the instrument has factor "
                                        "indexes 0 to %4 only")
                             .arg(w.range)
                             .arg(w.column)
                             .arg(w.text)
                             .arg(CalFactorTable::kLastFactorIndex)
                      << Qt::endl;
        } else {
            run.out() << QStringLiteral("range %1 factor %2 value %3 %4")
                             .arg(w.range)
                             .arg(w.factorIndex)
                             .arg(w.text, resultWord(w.result))
                      << Qt::endl;
        }
        return !run.failureReported();
    };
    const CalFactorOperations::SaveSummary summary = session.operations.saveToCalibrator();
    if (run.failureReported())
        return ExitUnreachable;
    switch (summary.outcome) {
    case Outcome::NoSetupMode:
        return run.noSetupModeExit();
    case Outcome::PasswordNeeded:
        return run.fail(ExitRefused, QStringLiteral("Password Needed: the instrument refused the write; the cells "
                                                    "after it were not sent"));
    case Outcome::Failed:
        // An answer without a status: whether the instrument took the factor is unknown, and the
        // save stopped there.
        return run.fail(ExitUnreachable, QStringLiteral("No clear answer from the instrument: %1 factors accepted, "
                                                        "the rest not written")
                                             .arg(summary.accepted));
    default:
        break;
    }
    const int refused = summary.rejected + summary.notSent;
    if (refused > 0)
        return run.fail(ExitRefused, QStringLiteral("%1 of %2 factors were not accepted")
                                         .arg(refused)
                                         .arg(summary.accepted + refused));
    return ExitSuccess;
}

/// backup, restore and clear: each changes data in the instrument, so it needs --yes.
int runCopy(RunContext &run, const QString &what, Outcome (CalFactorOperations::*operation)(bool))
{
    if (!run.isSet(kYes))
        return run.usageError(QStringLiteral("%1; add --yes to go ahead").arg(what));
    CalSession session(run);
    // The command-line tool shows no table, so it does not read one back afterwards.
    const Outcome outcome = (session.operations.*operation)(false);
    return operationExit(run, outcome);
}

int calBackup(RunContext &run)
{
    return runCopy(run, QStringLiteral("cal backup overwrites the instrument's backup factors with its active ones"),
                   &CalFactorOperations::backupToSecondary);
}

int calRestore(RunContext &run)
{
    return runCopy(run, QStringLiteral("cal restore overwrites the instrument's active factors with its backup"),
                   &CalFactorOperations::restoreFromSecondary);
}

int calClear(RunContext &run)
{
    return runCopy(run, QStringLiteral("cal clear sets every active factor of the instrument to zero"),
                   &CalFactorOperations::clearInstrument);
}

CliOption yesOption(const QString &help)
{
    return {kYes, QString(), help};
}

} // namespace

QList<CliCommand> calCommands()
{
    return {
        {.words = {QStringLiteral("cal"), QStringLiteral("read")},
         .argumentUsage = QStringLiteral("FILE.cal"),
         .summary = QStringLiteral("read every range's calibration factors and save them as \"Save to File\" does; "
                                   "no file is written when an exchange fails"),
         .minArguments = 1,
         .maxArguments = 1,
         .run = calRead},
        {.words = {QStringLiteral("cal"), QStringLiteral("write")},
         .argumentUsage = QStringLiteral("FILE.cal"),
         .summary = QStringLiteral("write every factor of a .cal file to the instrument, one line per factor "
                                   "with ok, rejected or password needed"),
         .minArguments = 1,
         .maxArguments = 1,
         .run = calWrite},
        {.words = {QStringLiteral("cal"), QStringLiteral("backup")},
         .summary = QStringLiteral("copy the active factors to the instrument's backup storage (CB)"),
         .options = {yesOption(QStringLiteral("overwrite the backup factors"))},
         .run = calBackup},
        {.words = {QStringLiteral("cal"), QStringLiteral("restore")},
         .summary = QStringLiteral("copy the backup factors over the active ones (CR)"),
         .options = {yesOption(QStringLiteral("overwrite the active factors"))},
         .run = calRestore},
        {.words = {QStringLiteral("cal"), QStringLiteral("clear")},
         .summary = QStringLiteral("set every active factor to zero (CC)"),
         .options = {yesOption(QStringLiteral("clear the active factors"))},
         .run = calClear},
    };
}
