#include "caldata/CalFactorOperations.h"

#include "caldata/CalFile.h"
#include "instrument/TypedNumber.h"

namespace {

const QString kNotLoaded = QStringLiteral("Calibration Settings Not Loaded");
// A copy between the active and the backup set takes the instrument up to two minutes, a clear
// one; afterwards it is given half a second before it is read again.
constexpr int kCopyTimeoutSeconds = 120;
constexpr int kClearTimeoutSeconds = 60;
constexpr int kSettleAfterCopyMs = 500;

const TableOperation::Declaration &factorTable()
{
    using State = CellTable::CellState;
    static const TableOperation::Declaration declaration{
        .instrumentName = QStringLiteral("calibrator"),
        .cellsName = QStringLiteral("factors"),
        .readExchanges = CalFactorTable::kLastRange,
        .rowsReadBack = true,
        .readTimeoutSeconds = 10,
        .expectedReadLines = 0,
        .writePassword = SetupPassword::System,
        .firstWritableRow = CalFactorTable::kFirstRange,
        .lastWritableRow = CalFactorTable::kLastRange,
        .writeTimeoutSeconds = 10,
        .codes = {.refused = QStringLiteral("*9"), .passwordNeeded = QStringLiteral("*7")},
        // The factor grid has no colour for an unsure write: whatever is not "*0" is red.
        .otherStatus = TableOperation::WriteResult::Rejected,
        .notANumberIsRejected = true,
        .notAValueText = QStringLiteral("Not a whole number: never sent to the calibrator"),
        .writingState = State::Pending,
        .passwordNeededText = QStringLiteral("Password Needed"),
        .noClearAnswerText =
            QStringLiteral("No clear answer from the calibrator: %1 changed cells not written, they stay pending"),
        .closingTimeoutSeconds = 0,
        .closingRefusedText = {},
        .file = &CalFile::kind(),
        .loadFailedText = kNotLoaded,
        .loadFailedGivesReason = false,
        .loadFailedIcon = Prompts::Icon::Critical,
        .clear = CalFactorOperations::clearCommand(),
    };
    return declaration;
}

TableOperation::Command copyCommand(const QString &question, const QString &title, const QString &command,
                                    const QString &done, const QString &failed)
{
    // The answer to a copy is one status line, judged whole; the instrument is given time to
    // settle before it is read again.
    return {
        question, title,  SetupPassword::Calibrate, command, kCopyTimeoutSeconds, TableReply::SuccessTest::WholeLine,
        done,     failed, kSettleAfterCopyMs};
}

} // namespace

CalFactorOperations::CalFactorOperations(CalFactorTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks)
    : TableOperation(table, dvm, prompts, factorTable(), std::move(hooks)), m_table(table)
{
}

TableOperation::Command CalFactorOperations::backupCommand()
{
    return copyCommand(
        QStringLiteral(
            "This will copy the active calibration factors for all ranges to EEPROM backup - please confirm"),
        QStringLiteral("Backup Calibration"), QStringLiteral("CB"), QStringLiteral("Cal Factors backed up ok"),
        QStringLiteral("Error - Cal not backed up"));
}

TableOperation::Command CalFactorOperations::restoreCommand()
{
    return copyCommand(QStringLiteral("This will copy the EEPROM backup calibration factors over the current active "
                                      "calibration factors - please confirm"),
                       QStringLiteral("Restore Calibration"), QStringLiteral("CR"),
                       QStringLiteral("Cal Factors restored"), QStringLiteral("Error - Cal not restored"));
}

TableOperation::Command CalFactorOperations::clearCommand()
{
    return {QStringLiteral("This will clear calibration factors for all ranges - please confirm"),
            QStringLiteral("Clear Calibration"),
            SetupPassword::System,
            QStringLiteral("CC"),
            kClearTimeoutSeconds,
            TableReply::SuccessTest::Prefix,
            QStringLiteral("Calibration factors cleared ok"),
            QStringLiteral("Error - Calibration factors not cleared"),
            0};
}

void CalFactorOperations::beforeRead(int range)
{
    m_table.setText(range, 0, CalFactorTable::rangeLabel(range));
}

QString CalFactorOperations::readCommand(int range) const
{
    // The instrument wants the range as exactly three digits: range 1 is "CAL:PRINT 001".
    return QStringLiteral("CAL:PRINT %1").arg(range, 3, 10, QLatin1Char('0'));
}

CalFactorOperations::Outcome CalFactorOperations::takeReply(int range, const QString &reply, int *rows)
{
    // One factor per line from index 0, then the status line, which is never placed. A "*0"
    // among the factors leaves its column as it is.
    const QStringList lines = SplitLines(reply);
    for (int column = 1; column < lines.size(); ++column) {
        const QString &line = lines.at(column - 1);
        if (line == QLatin1String("*0"))
            continue;
        if (column >= m_table.columnCount()) {
            // More factors than the grid has columns: the reply cannot be trusted, and a
            // half-filled grid would pass for the instrument's memory.
            m_table.clearAll();
            return Outcome::Failed;
        }
        m_table.setText(range, column, line);
    }
    ++*rows;
    return Outcome::Done;
}

bool CalFactorOperations::rowFromReply(const QString &reply, QStringList *values) const
{
    // The factors from index 0, then the status line; anything but "*0" there is no whole row.
    QStringList lines = SplitLines(reply);
    if (lines.isEmpty() || lines.constLast() != QLatin1String("*0"))
        return false;
    lines.removeLast();
    *values = lines;
    return true;
}

QString CalFactorOperations::unreadText(int range) const
{
    return QStringLiteral("Calibrator not responding: ranges %1 to %2 not read")
        .arg(range, 3, 10, QLatin1Char('0'))
        .arg(CalFactorTable::kLastRange);
}

bool CalFactorOperations::writeCommand(int row, int index, const QString &text, QString *command) const
{
    qint32 value = 0;
    if (!parseFactor(text, &value))
        return false;
    *command = setCalCommand(index, row, value);
    return true;
}

TableFile::ReadResult CalFactorOperations::fillFromFile(const QByteArray &contents)
{
    m_table.reshapeForFactors();
    return CalFile::fill(m_table, contents);
}

QByteArray CalFactorOperations::fileBytes() const
{
    return CalFile::toBytes(m_table);
}

bool CalFactorOperations::writeFile(const QString &path, QString *error) const
{
    return CalFile::save(m_table, path, error);
}

bool CalFactorOperations::parseFactor(const QString &text, qint32 *value)
{
    const std::optional<qint32> factor = TypedNumber::parseWholeNumber(text);
    if (factor)
        *value = *factor;
    return factor.has_value();
}

QString CalFactorOperations::setCalCommand(int factorIndex, int range, qint32 value)
{
    return QStringLiteral("CALIBRATION:SETCAL %1,%2,%3").arg(factorIndex).arg(range).arg(value);
}
