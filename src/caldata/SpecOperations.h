#pragma once

#include "caldata/OperationOutcome.h"
#include "caldata/SpecTable.h"
#include "instrument/CommandHelpers.h"

#include <QDate>
#include <QString>
#include <functional>

class InstrumentChannel;
class Prompts;

/**
 * @brief What the specifications window does with its grid: read the instrument's table ("ps"),
 * write the pending figures back ("Ws row,index,value") with the version record, clear the
 * instrument's table ("WS"), and save or load ".spec" files.
 *
 * Every command goes through the instrument object; every question, message and file dialog
 * through Prompts; results meant for the main window's status box go to the status hook. Writes
 * run inside setup mode: a password first, the exit password last, also when a write was refused.
 */
class SpecOperations
{
public:
    /// How one pending cell fared in a save.
    enum class WriteResult {
        Accepted,       ///< "*0": the cell is in step
        Rejected,       ///< "*9": the cell is red
        Unconfirmed,    ///< any other status ("*5", "*2", ...): the cell is blue
        PasswordNeeded, ///< "*6": the save stops here; this and later cells stay pending
        NotANumber,     ///< the text is not a number: red, never sent
        NotSent,        ///< a row the instrument does not hold (above 70): left pending
        NoAnswer,       ///< no answer, or no status in it: pending still, the save stops
    };

    struct CellWrite
    {
        int row;
        int column;
        int figureIndex;
        QString text;
        WriteResult result;
        QString reply; ///< the instrument's answer; empty when nothing was sent
    };

    /// Ways the caller watches and steers an operation. Every hook may be left empty.
    struct Hooks
    {
        /// Text for the main window's status box.
        std::function<void(const QString &)> status;
        /// True when a long stretch of instrument work starts (hourglass, buttons off), false when
        /// it ends. Always balanced, whatever way the operation ends.
        std::function<void(bool)> busy;
        /// Around the one long exchange of a read: the expected number of lines, then the end
        /// (the window shows its download progress window in between).
        std::function<void(int expectedLines)> readStarting;
        std::function<void()> readFinished;
        /// After each table line taken in and each written cell, so the window can repaint.
        std::function<void()> progress;
        /// After each pending cell was dealt with; false stops the save (the tail still runs).
        std::function<bool(const CellWrite &)> cellWritten;
    };

    using Outcome = OperationOutcome;

    struct SaveSummary
    {
        Outcome outcome = Outcome::Done;
        int sent = 0;        ///< "Ws" commands sent
        int accepted = 0;
        int rejected = 0;    ///< "*9"
        int unconfirmed = 0; ///< any other status
        int notANumber = 0;
        int notSent = 0;     ///< pending cells in rows the instrument does not hold
        QString versionRecord; ///< the record sent, "" when none was due
        bool versionAccepted = true;

        /// Every figure that was to go to the instrument went and was accepted, and so was the
        /// version record.
        bool complete() const
        {
            return outcome == Outcome::Done && rejected == 0 && unconfirmed == 0 && notANumber == 0
                && versionAccepted;
        }
    };

    SpecOperations(SpecTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks = {});

    Hooks &hooks() { return m_hooks; }

    /// "Load From Meter": the empty grid, then "ps"; rows whose numbers run on from 1 without a
    /// gap are taken in. The number of rows taken in goes to rowsLoaded.
    Outcome loadFromMeter(int *rowsLoaded = nullptr);

    /// "Save To Meter": every pending cell with text, row by row, left to right, then the version
    /// record. A write that gets no status back (no answer, or noise) stops the save with that
    /// cell and all later ones still pending and no version record (Failed). Whenever a password
    /// got no clear status the exit password is sent all the same.
    SaveSummary saveToMeter();

    /// "Clear Meter": confirmation, system password, "WS", its result in the status box, the exit
    /// password, and (when reload) the table read afresh.
    Outcome clearMeter(bool reload = true);

    /// "Save to File": asks for a name (suggesting today's default) and writes the grid as it
    /// stands; cell states do not change. Any failure says "Backup not saved".
    Outcome saveToFile();
    /// "Load from File": asks for a file; a cancelled dialog ends without a word and keeps the
    /// table.
    Outcome loadFromFile();
    /// FileLoad: the file replaces the table (version included), every loaded figure pending. A
    /// file that cannot be read is reported and leaves the table as it was.
    Outcome fileLoad(const QString &path);
    /// The same without a message (the command-line tool): false, with a reason, on failure.
    bool loadFile(const QString &path, QString *error);

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

    static constexpr int kReadTimeoutSeconds = 10;
    static constexpr int kExpectedTableLines = 60;
    static constexpr int kWriteTimeoutSeconds = 10;
    static constexpr int kVersionTimeoutSeconds = 5;
    static constexpr int kClearTimeoutSeconds = 120;
    /// A save of more cells than this is a whole table, and the record names its version.
    static constexpr int kWholeTableCells = 100;

private:
    /// The password; on failure "Error entering setup mode", after the exit password when the
    /// instrument's answer leaves open whether it took the password.
    bool enterSetupMode(SetupPassword password);
    /// Pending cells with text in the rows a save writes.
    int writablePendingCount() const;
    void setStatus(const QString &text);
    void setBusy(bool on);

    SpecTable &m_table;
    InstrumentChannel &m_dvm;
    Prompts &m_prompts;
    Hooks m_hooks;
};
