#pragma once

#include "caldata/CalFactorTable.h"
#include "caldata/TableOperation.h"

/**
 * @brief What the calibration-factor window does with its grid: read every range from the
 * instrument ("CAL:PRINT nnn"), write the pending cells back ("CALIBRATION:SETCAL"), copy the
 * active set to and from the instrument's backup storage ("CB", "CR"), clear the instrument's
 * factors ("CC"), and save or load ".cal" files. TableOperation does the work; this class
 * declares the factor table's commands, codes and texts.
 */
class CalFactorOperations : public TableOperation
{
public:
    CalFactorOperations(CalFactorTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks = {});

    /// "Load from Calibrator": the working shape, then "CAL:PRINT nnn" for ranges 1 to 149. A
    /// reply with more lines than the row has columns cannot be placed: the whole grid is then
    /// cleared, headings included, and the result is Failed. A range that gets no answer at all
    /// ends the reading with the rows read so far kept, the unread ranges named in the status
    /// box, and the result Failed.
    Outcome loadFromCalibrator() { return load(); }

    /// "Save To Calibrator": every pending cell with text of ranges 1 to 149 and factor indexes 0
    /// to 61. "*7" is the password refusal; any other refusal turns the cell red.
    SaveSummary saveToCalibrator() { return save(); }

    /// "Backup Meter to Secondary Cal Storage" ("CB") and "Restore Meter from Secondary Cal
    /// storage" ("CR"): confirmation, calibrate password, the copy, its result in the status box,
    /// the exit password, a pause, and (when reread) the grid read afresh.
    Outcome backupToSecondary(bool reread = true) { return run(backupCommand(), reread); }
    Outcome restoreFromSecondary(bool reread = true) { return run(restoreCommand(), reread); }

    /// "Clear Meter": confirmation, system password, "CC", its result in the status box, the exit
    /// password, and (when reread) the grid read afresh.
    Outcome clearInstrument(bool reread = true) { return clear(reread); }

    /// The copies and the clear as commands, for callers that run them through run().
    static Command backupCommand();
    static Command restoreCommand();
    static Command clearCommand();

    /// The file without a dialog (the command-line tool): false, with a reason, on failure.
    bool loadFromFile(const QString &path, QString *error) { return loadFile(path, error); }
    using TableOperation::loadFromFile;

    /// A cell text as the instrument takes it: optional blanks and sign, then decimal digits,
    /// within the 32-bit signed range.
    static bool parseFactor(const QString &text, qint32 *value);
    /// "CALIBRATION:SETCAL index,range,value".
    static QString setCalCommand(int factorIndex, int range, qint32 value);

protected:
    void prepareForRead() override { m_table.reshapeForFactors(); }
    void beforeRead(int range) override;
    QString readCommand(int range) const override;
    Outcome takeReply(int range, const QString &reply, int *rows) override;
    QString unreadText(int range) const override;
    bool rowFromReply(const QString &reply, QStringList *values) const override;
    int indexOfColumn(int column) const override { return CalFactorTable::factorIndexOfColumn(column); }
    bool writeCommand(int row, int index, const QString &text, QString *command) const override;
    TableFile::ReadResult fillFromFile(const QByteArray &contents) override;
    bool writeFile(const QString &path, QString *error) const override;

public:
    QByteArray fileBytes() const override;
    std::shared_ptr<TableOperation> reader(Hooks hooks) const override
    {
        return readerOver<CalFactorOperations, CalFactorTable>(std::move(hooks));
    }

private:
    CalFactorTable &m_table;
};
