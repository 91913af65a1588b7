// spec read, spec write, spec clear: the specifications window's work from a shell, on the same
// model, so a file written here is the file "Save to File" writes.

#include "caldata/SpecFile.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "cli/CliPrompts.h"
#include "cli/CommandGroups.h"
#include "cli/OperationExit.h"
#include "cli/RunContext.h"

#include <QTextStream>

namespace {

using Outcome = SpecOperations::Outcome;
using WriteResult = SpecOperations::WriteResult;

const QString kYes = QStringLiteral("yes");

/// One command's instrument object, prompts and model, wired together.
struct SpecSession
{
    explicit SpecSession(RunContext &run) : run(run), prompts(run.isSet(kYes)), operations(table, run.channel(), prompts)
    {
        run.reportFirstFailure();
        operations.hooks().status = [&run](const QString &text) { run.out() << text << Qt::endl; };
        operations.hooks().cellWritten = [this](const SpecOperations::CellWrite &) { return !this->run.failureReported(); };
    }

    RunContext &run;
    CliPrompts prompts;
    SpecTable table;
    SpecOperations operations;
};

QString failureWord(WriteResult result)
{
    switch (result) {
    case WriteResult::Rejected:
        return QStringLiteral("rejected");
    case WriteResult::Unconfirmed:
        return QStringLiteral("not confirmed");
    case WriteResult::NotANumber:
        return QStringLiteral("not a number, not sent");
    case WriteResult::NotSent:
        return QStringLiteral("not sent: the instrument holds rows %1 to %2 only")
            .arg(SpecTable::kFirstWritableRow)
            .arg(SpecTable::kLastWritableRow);
    case WriteResult::PasswordNeeded:
        return QStringLiteral("refused: setup password needed");
    case WriteResult::NoAnswer:
        return QStringLiteral("no clear answer: it and the figures after it were not written");
    case WriteResult::Accepted:
        break;
    }
    return {};
}

int specRead(RunContext &run)
{
    const QString path = run.arguments().constFirst();
    SpecSession session(run);
    int rows = 0;
    const Outcome outcome = session.operations.loadFromMeter(&rows);
    // A table cut short would pass for the instrument's: no file is written, an existing one stays.
    if (run.failureReported())
        return ExitUnreachable;
    if (outcome != Outcome::Done)
        return run.fail(ExitRefused, QStringLiteral("the answer to ps ended without its status line; %1 was not "
                                                    "written")
                                         .arg(path));
    QString error;
    if (!SpecFile::save(session.table, path, &error))
        return run.fail(ExitUsage, QStringLiteral("Backup not saved: cannot write %1: %2").arg(path, error));
    run.out() << QStringLiteral("%1 rows of the specification table written to %2").arg(rows).arg(path) << Qt::endl;
    return ExitSuccess;
}

int specWrite(RunContext &run)
{
    const QString path = run.arguments().constFirst();
    SpecSession session(run);
    QString error;
    if (!session.operations.loadFile(path, &error))
        return run.fail(ExitUsage, QStringLiteral("Error loading specifications: %1: %2; nothing was sent")
                                       .arg(path, error));

    session.operations.hooks().cellWritten = [&](const SpecOperations::CellWrite &w) {
        if (w.result != WriteResult::Accepted && w.result != WriteResult::PasswordNeeded) {
            run.err() << QStringLiteral("calsetup-cli: row %1 figure %2 (%3) %4")
                             .arg(w.row)
                             .arg(w.figureIndex)
                             .arg(w.text, failureWord(w.result))
                      << Qt::endl;
        }
        return !run.failureReported();
    };
    const SpecOperations::SaveSummary summary = session.operations.saveToMeter();
    if (run.failureReported())
        return ExitUnreachable;
    switch (summary.outcome) {
    case Outcome::NoSetupMode:
        return run.noSetupModeExit();
    case Outcome::PasswordNeeded:
        return run.fail(ExitRefused, QStringLiteral("Setup Password Needed: the instrument refused the write after "
                                                    "%1 figures; the rest were not sent")
                                         .arg(summary.sent - 1));
    case Outcome::Failed:
        // An answer without a status: whether the instrument took the figure is unknown.
        return run.fail(ExitUnreachable, QStringLiteral("No clear answer from the instrument: %1 figures accepted, "
                                                        "the rest not written")
                                             .arg(summary.accepted));
    default:
        break;
    }
    run.out() << QStringLiteral("%1 figures sent, %2 accepted").arg(summary.sent).arg(summary.accepted) << Qt::endl;
    if (!summary.versionRecord.isEmpty())
        run.out() << QStringLiteral("version record %1").arg(summary.versionRecord.mid(3)) << Qt::endl;
    if (!summary.versionAccepted)
        return run.fail(ExitRefused, QStringLiteral("Set Information Failed: the version record was refused"));
    const int refused = summary.rejected + summary.unconfirmed + summary.notANumber;
    if (refused > 0)
        return run.fail(ExitRefused, QStringLiteral("%1 figures were not accepted").arg(refused));
    return ExitSuccess;
}

int specClear(RunContext &run)
{
    if (!run.isSet(kYes))
        return run.usageError(QStringLiteral("spec clear sets every figure of the instrument's specification table "
                                             "to zero; add --yes to go ahead"));
    SpecSession session(run);
    // The command-line tool shows no table, so it does not read one back afterwards.
    const Outcome outcome = session.operations.clearMeter(false);
    return operationExit(run, outcome);
}

} // namespace

QList<CliCommand> specCommands()
{
    return {
        {.words = {QStringLiteral("spec"), QStringLiteral("read")},
         .argumentUsage = QStringLiteral("FILE.spec"),
         .summary = QStringLiteral("read the specification table (ps) and save it as \"Save to File\" does; "
                                   "no file is written when the exchange fails"),
         .minArguments = 1,
         .maxArguments = 1,
         .run = specRead},
        {.words = {QStringLiteral("spec"), QStringLiteral("write")},
         .argumentUsage = QStringLiteral("FILE.spec"),
         .summary = QStringLiteral("write every figure of a .spec file to the instrument (Ws) and the version "
                                   "record; figures not accepted are listed on stderr"),
         .minArguments = 1,
         .maxArguments = 1,
         .run = specWrite},
        {.words = {QStringLiteral("spec"), QStringLiteral("clear")},
         .summary = QStringLiteral("set every figure of the instrument's specification table to zero (WS)"),
         .options = {{kYes, QString(), QStringLiteral("clear the table")}},
         .run = specClear},
    };
}
