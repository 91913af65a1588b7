#pragma once

#include "caldata/SpecTable.h"
#include "caldata/TableOperation.h"

#include <QDate>

/**
 * @brief What the specifications window does with its grid: read the instrument's table ("ps"),
 * write the pending figures back ("Ws row,index,value") with the version record, clear the
 * instrument's table ("WS"), and save or load ".spec" files. TableOperation does the work; this
 * class declares the specification table's commands, parsing, codes and texts.
 */
class SpecOperations : public TableOperation
{
public:
    SpecOperations(SpecTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks = {});

    /// "Load From Meter": the empty grid, then "ps"; rows whose numbers run on from 1 without a
    /// gap are taken in. The number of rows taken in goes to rowsLoaded.
    Outcome loadFromMeter(int *rowsLoaded = nullptr);

    /// "Save To Meter": every pending cell with text of rows 1 to 70, then the version record.
    /// "*9" turns a cell red, "*6" is the password refusal, any other status turns it blue.
    SaveSummary saveToMeter() { return save(); }

    /// "Clear Meter": confirmation, system password, "WS", its result in the status box, the exit
    /// password, and (when reload) the table read afresh.
    Outcome clearMeter(bool reload = true) { return clear(reload); }
    static Command clearCommand();

    /// Takes a "ps" reply into the table from row 1: a line belongs to the table only when it
    /// starts with "R" and the next three characters give the row expected next. Returns the rows
    /// taken in. progress runs once per line.
    static int takeTable(SpecTable &table, const QString &reply, const std::function<void()> &progress = {});
    /// A label as the instrument sends it, with its ohm and micro characters (codes 244 and
    /// 228) written out as "Ohm" and "u".
    static QString labelText(const QString &label);
    /// A figure as the grid shows it: the decimal text of its value ("005.00" gives "5"); a field
    /// that is not a number keeps its text.
    static QString figureText(const QString &field);
    /// A cell text as a figure: a decimal number with "." as point, whatever the user's locale.
    static bool parseFigure(const QString &text, double *value);
    /// "Ws" row "," index "," value, the value in plain decimal: "Ws3,0,2.5".
    static QString writeCommand(int row, int figureIndex, double value);
    /// The version record for a save that wrote `written` cells: "&05Spec " and the version's
    /// first three characters when more than 100 cells were written and there is a version,
    /// "&05Spec ___ " when at least one was, then the date as dd/mm/yy. "" when none was written.
    static QString versionRecord(const QString &version, int written, const QDate &date);

    /// A save of more cells than this is a whole table, and the record names its version.
    static constexpr int kWholeTableCells = 100;

protected:
    void prepareForRead() override { m_table.initGrid(); }
    QString readCommand(int) const override { return QStringLiteral("ps"); }
    Outcome takeReply(int range, const QString &reply, int *rows) override;
    int indexOfColumn(int column) const override { return SpecTable::figureIndexOfColumn(column); }
    bool writeCommand(int row, int index, const QString &text, QString *command) const override;
    QString closingRecord(const SaveSummary &summary) const override;
    TableFile::ReadResult fillFromFile(const QByteArray &contents) override;
    bool writeFile(const QString &path, QString *error) const override;

public:
    QByteArray fileBytes() const override;
    std::shared_ptr<TableOperation> reader(Hooks hooks) const override
    {
        return readerOver<SpecOperations, SpecTable>(std::move(hooks));
    }

private:
    SpecTable &m_table;
};
