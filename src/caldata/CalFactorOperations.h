#pragma once

#include "caldata/OperationOutcome.h"
#include "caldata/CalFactorTable.h"
#include "instrument/CommandHelpers.h"

#include <QString>
#include <functional>

class InstrumentChannel;
class Prompts;

/**
 * @brief What the calibration-factor window does with its grid: read every range from the
 * instrument, write the pending cells back, copy the active set to and from the instrument's
 * backup storage, clear the instrument's factors, and save or load ".cal" files.
 *
 * Every command goes through the instrument object; every question, message and file dialog
 * through Prompts; results meant for the main window's status box go to the status hook. Writes
 * run inside setup mode: a password first, the exit password last, also when a write was
 * refused.
 */
class CalFactorOperations
{
public:
    /// How one pending cell fared in a save.
    enum class WriteResult {
        Accepted,       ///< "*0": the cell is in step
        Rejected,       ///< any other answer, a time-out included: the cell is red
        PasswordNeeded, ///< "*7": the save stops here, later cells stay pending
        NotANumber,     ///< not a whole number in the 32-bit range: red, never sent
        NotSent,        ///< no such range or factor index on the instrument: left as it is
        NoAnswer,       ///< no answer, or no status in it: pending still, the save stops
    };

    struct CellWrite
    {
        int row;
        int column;
        int range;
        int factorIndex;
        QString text;
        WriteResult result;
        QString reply; ///< the instrument's answer; empty when nothing was sent
    };

    /// Ways the caller watches and steers an operation. Every hook may be left empty.
    struct Hooks
    {
        /// Text for the main window's status box.
        std::function<void(const QString &)> status;
        /// True when a long stretch of instrument work starts (hourglass, buttons off), false
        /// when it ends. Always balanced, whatever way the operation ends.
        std::function<void(bool)> busy;
        /// Called after each written cell and each read range, so the window can repaint.
        std::function<void()> progress;
        /// After each range's exchange; false stops the reading (the grid keeps what it has).
        std::function<bool(int range, const QString &reply)> rangeRead;
        /// After each pending cell was dealt with; false stops the save (the tail still runs).
        std::function<bool(const CellWrite &)> cellWritten;
    };

    using Outcome = OperationOutcome;

    struct SaveSummary
    {
        Outcome outcome = Outcome::Done;
        int accepted = 0;
        int rejected = 0; ///< refused, not a number, or unanswered
        int notSent = 0;  ///< pending cells outside the instrument's ranges or factor indexes
    };

    CalFactorOperations(CalFactorTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks = {});

    Hooks &hooks() { return m_hooks; }

    /// "Load from Calibrator": the working shape, then "CAL:PRINT nnn" for ranges 1 to 149. A
    /// reply with more lines than the row has columns cannot be placed: the whole grid is then
    /// cleared, headings included, and the result is Failed. A range that gets no answer at all
    /// (a time-out, a port that failed, ...) ends the reading with the rows read so far kept, the
    /// unread ranges named in the status box, and the result Failed.
    Outcome loadFromCalibrator();

    /// "Save To Calibrator": every pending cell with text, row by row, left to right. A write that
    /// gets no status back (no answer, or noise) stops the save with that cell and all later ones
    /// still pending (Failed). Whenever a password got no clear status the exit password is sent
    /// all the same.
    SaveSummary saveToCalibrator();

    /// "Backup Meter to Secondary Cal Storage" ("CB") and "Restore Meter from Secondary Cal
    /// storage" ("CR"): confirmation, calibrate password, the copy, its result in the status box,
    /// the exit password, a pause, and (when reread) the grid read afresh.
    Outcome backupToSecondary(bool reread = true);
    Outcome restoreFromSecondary(bool reread = true);

    /// "Clear Meter": confirmation, system password, "CC", its result in the status box, the exit
    /// password, and (when reread) the grid read afresh.
    Outcome clearInstrument(bool reread = true);

    /// "Save to File": asks for a name (suggesting today's default) and writes the grid as it
    /// stands; cell states do not change. Any failure says "Backup not saved".
    Outcome saveToFile();
    /// "Load from File": asks for a file; only once one is chosen and readable is the grid
    /// re-shaped and filled, every loaded value pending. Any failure, a cancelled dialog
    /// included, says "Calibration Settings Not Loaded"; a cancelled dialog keeps the grid.
    Outcome loadFromFile();
    /// The same without a dialog (the command-line tool): false, with a reason, on failure.
    bool loadFromFile(const QString &path, QString *error);

    /// A cell text as the instrument takes it: optional blanks and sign, then decimal digits,
    /// within the 32-bit signed range.
    static bool parseFactor(const QString &text, qint32 *value);
    /// "CALIBRATION:SETCAL index,range,value".
    static QString setCalCommand(int factorIndex, int range, qint32 value);

    static constexpr int kPrintTimeoutSeconds = 10;
    static constexpr int kSetCalTimeoutSeconds = 10;
    static constexpr int kCopyTimeoutSeconds = 120;
    static constexpr int kClearTimeoutSeconds = 60;
    static constexpr int kSettleAfterCopyMs = 500;

private:
    /// The password; on failure "Error entering setup mode", after the exit password when the
    /// instrument's answer leaves open whether it took the password.
    bool enterSetupMode(SetupPassword password);
    struct CopyTexts;
    Outcome copyBetweenSets(const CopyTexts &texts, bool reread);
    void setStatus(const QString &text);
    void setBusy(bool on);

    CalFactorTable &m_table;
    InstrumentChannel &m_dvm;
    Prompts &m_prompts;
    Hooks m_hooks;
};
