// spec read, spec write, spec clear: the specifications window's work from a shell, on the same
// model, so a file written here is the file "Save to File" writes.

#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "cli/commands/TableCommands.h"

#include <QTextStream>

namespace {

using WriteResult = TableOperation::WriteResult;

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

void reportCell(RunContext &run, const TableOperation::CellWrite &w)
{
    // Only what was not accepted is listed; a password refusal ends the command with its own line.
    if (w.result == WriteResult::Accepted || w.result == WriteResult::PasswordNeeded)
        return;
    run.warn(QStringLiteral("row %1 figure %2 (%3) %4").arg(w.row).arg(w.index).arg(w.text, failureWord(w.result)));
}

void reportSave(RunContext &run, const TableOperation::SaveSummary &summary)
{
    run.out() << QStringLiteral("%1 figures sent, %2 accepted").arg(summary.sent).arg(summary.accepted) << Qt::endl;
    if (!summary.versionRecord.isEmpty())
        run.out() << QStringLiteral("version record %1").arg(summary.versionRecord.mid(3)) << Qt::endl;
}

const TableCommands::Family &specifications()
{
    static const TableCommands::Family family{
        .word = QStringLiteral("spec"),
        .fileUsage = QStringLiteral("FILE.spec"),
        .open = &TableCommands::partsOf<SpecTable, SpecOperations>,
        .readUnit = QStringLiteral("row"),
        .readExchanges = 0,
        .readSummary = QStringLiteral("read the specification table (ps) and save it as \"Save to File\" does; "
                                      "no file is written when the exchange fails"),
        .readIncomplete =
            [](int, const QString &path) {
                return QStringLiteral("the answer to ps ended without its status line; %1 was not written").arg(path);
            },
        .readDone =
            [](const CellTable &, int rows, const QString &path) {
                return QStringLiteral("%1 rows of the specification table written to %2").arg(rows).arg(path);
            },
        .writeSummary = QStringLiteral("write every figure of a .spec file to the instrument (Ws) and the version "
                                       "record; figures not accepted are listed on stderr"),
        .notLoaded = QStringLiteral("Error loading specifications"),
        .values = QStringLiteral("figures"),
        .reportCell = reportCell,
        .passwordNeeded =
            [](const TableOperation::SaveSummary &summary) {
                return QStringLiteral("Setup Password Needed: the instrument refused the write after %1 figures; the "
                                      "rest were not sent")
                    .arg(summary.sent - 1);
            },
        .reportSave = reportSave,
        .closingRefused = QStringLiteral("Set Information Failed: the version record was refused"),
        .notAccepted =
            [](const TableOperation::SaveSummary &summary) {
                // Rows the instrument does not hold are listed, but do not count against the file.
                const int refused = summary.refused();
                return refused == 0 ? QString() : QStringLiteral("%1 figures were not accepted").arg(refused);
            },
        .confirmed = {{.word = QStringLiteral("clear"),
                       .summary =
                           QStringLiteral("set every figure of the instrument's specification table to zero (WS)"),
                       .yesHelp = QStringLiteral("clear the table"),
                       .what = QStringLiteral("spec clear sets every figure of the instrument's specification table "
                                              "to zero"),
                       .command = SpecOperations::clearCommand()}},
    };
    return family;
}

} // namespace

QList<CliCommand> specCommands()
{
    return TableCommands::commands(specifications());
}
