// cal read, cal write, cal backup, cal restore, cal clear: the calibration-factor window's work
// from a shell, on the same model, so a file written here is the file "Save to File" writes.

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "cli/commands/TableCommands.h"

#include <QTextStream>

namespace {

using WriteResult = TableOperation::WriteResult;

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
    case WriteResult::Unconfirmed:
    case WriteResult::NotANumber:
    case WriteResult::NotSent:
        break;
    }
    return QStringLiteral("rejected");
}

void reportCell(RunContext &run, const TableOperation::CellWrite &w)
{
    // The factor table's rows are its ranges.
    if (w.result == WriteResult::NotSent) {
        run.warn(QStringLiteral("range %1 column %2 (%3) not sent: the instrument has factor indexes 0 to %4 only")
                     .arg(w.row)
                     .arg(w.column)
                     .arg(w.text)
                     .arg(CalFactorTable::kLastFactorIndex));
        return;
    }
    run.out()
        << QStringLiteral("range %1 factor %2 value %3 %4").arg(w.row).arg(w.index).arg(w.text, resultWord(w.result))
        << Qt::endl;
}

void reportNotVerified(RunContext &run, const TableOperation::CellWrite &w, const QString &kept)
{
    run.out() << QStringLiteral("range %1 factor %2 value %3 not verified: %4")
                     .arg(w.row)
                     .arg(w.index)
                     .arg(w.text,
                          kept.isEmpty() ? QStringLiteral("the range could not be read back")
                                         : QStringLiteral("the instrument keeps %1").arg(kept))
              << Qt::endl;
}

int factorsIn(const CellTable &table)
{
    int factors = 0;
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 1; column < table.columnCount(); ++column)
            factors += table.text(row, column).isEmpty() ? 0 : 1;
    }
    return factors;
}

const TableCommands::Family &factors()
{
    static const TableCommands::Family family{
        .word = QStringLiteral("cal"),
        .fileUsage = QStringLiteral("FILE.cal"),
        .open = &TableCommands::partsOf<CalFactorTable, CalFactorOperations>,
        .readUnit = QStringLiteral("range"),
        .readExchanges = CalFactorTable::kLastRange,
        .readSummary = QStringLiteral("read every range's calibration factors and save them as \"Save to File\" does; "
                                      "no file is written when an exchange fails"),
        .readIncomplete =
            [](int rangesRead, const QString &path) {
                return QStringLiteral("the answer to CAL:PRINT %1 holds more factors than the table has columns; %2 "
                                      "was not written")
                    .arg(rangesRead + 1, 3, 10, QLatin1Char('0'))
                    .arg(path);
            },
        .readDone =
            [](const CellTable &table, int, const QString &path) {
                return QStringLiteral("%1 factors of %2 ranges written to %3")
                    .arg(factorsIn(table))
                    .arg(CalFactorTable::kLastRange)
                    .arg(path);
            },
        .writeSummary = QStringLiteral("write every factor of a .cal file to the instrument, one line per factor "
                                       "with ok, rejected or password needed"),
        .notLoaded = QStringLiteral("Calibration Settings Not Loaded"),
        .values = QStringLiteral("factors"),
        .reportCell = reportCell,
        .passwordNeeded =
            [](const TableOperation::SaveSummary &) {
                return QStringLiteral("Password Needed: the instrument refused the write; the cells after it were not "
                                      "sent");
            },
        .reportSave = nullptr,
        .closingRefused = {},
        .notAccepted =
            [](const TableOperation::SaveSummary &summary) {
                // A factor outside the instrument's indexes counts against the file too.
                const int refused = summary.refused() + summary.notSent;
                if (refused == 0)
                    return QString();
                return QStringLiteral("%1 of %2 factors were not accepted")
                    .arg(refused)
                    .arg(summary.accepted + refused);
            },
        .reportNotVerified = reportNotVerified,
        .confirmed = {{.word = QStringLiteral("backup"),
                       .summary = QStringLiteral("copy the active factors to the instrument's backup storage (CB)"),
                       .yesHelp = QStringLiteral("overwrite the backup factors"),
                       .what = QStringLiteral("cal backup overwrites the instrument's backup factors with its active "
                                              "ones"),
                       .command = CalFactorOperations::backupCommand()},
                      {.word = QStringLiteral("restore"),
                       .summary = QStringLiteral("copy the backup factors over the active ones (CR)"),
                       .yesHelp = QStringLiteral("overwrite the active factors"),
                       .what = QStringLiteral("cal restore overwrites the instrument's active factors with its backup"),
                       .command = CalFactorOperations::restoreCommand()},
                      {.word = QStringLiteral("clear"),
                       .summary = QStringLiteral("set every active factor to zero (CC)"),
                       .yesHelp = QStringLiteral("clear the active factors"),
                       .what = QStringLiteral("cal clear sets every active factor of the instrument to zero"),
                       .command = CalFactorOperations::clearCommand()}},
    };
    return family;
}

} // namespace

QList<CliCommand> calCommands()
{
    return TableCommands::commands(factors());
}
