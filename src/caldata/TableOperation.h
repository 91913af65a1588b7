#pragma once

#include "caldata/CellTable.h"
#include "caldata/OperationOutcome.h"
#include "caldata/TableFile.h"
#include "caldata/TableReply.h"
#include "instrument/CommandHelpers.h"
#include "platform/Prompts.h"
#include "records/JournalRecord.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class InstrumentChannel;

/**
 * @brief What a table window does with its grid, written once for the factor table and the
 * specification table: read the table from the instrument, write the pending cells back inside
 * setup mode, run one command inside setup mode (a copy, a clear) and read the table again, and
 * save or load the table's file.
 *
 * A table declares its differences as data (a Declaration: passwords, timeouts, status codes,
 * texts) and small hooks (its read command and how a reply is placed, its write command, its
 * file). Every command goes out through one exchange; every question, message and file dialog
 * goes through Prompts; results meant for the main window's status box go to the status hook.
 * Setup mode is left with the exit password on every path out, also when a write was refused or
 * got no clear answer.
 */
class TableOperation
{
public:
    using Outcome = OperationOutcome;

    /// How one pending cell fared in a save.
    enum class WriteResult {
        Accepted,       ///< "*0": the cell is in step
        Rejected,       ///< refused: the cell is red
        Unconfirmed,    ///< a status that is neither yes nor no, where the table tells it apart
        PasswordNeeded, ///< the save stops here; this and later cells stay pending
        NotANumber,     ///< not a value the instrument takes: invalid (orange), never sent
        NotSent,        ///< a row or column the instrument does not hold: left pending
        NoAnswer,       ///< no answer, or no status in it: pending still, the save stops
    };

    struct CellWrite
    {
        int row;
        int column;
        int index; ///< the instrument's index of the column (factor or figure)
        QString text;
        WriteResult result;
        QString reply; ///< the instrument's answer; empty when nothing was sent
    };

    /// Ways the caller watches and steers an operation. Every hook may be left empty.
    struct Hooks
    {
        /// Text for the main window's status box.
        std::function<void(const QString &)> status;
        /// How the operation ended, in plain words for the table window's own status line:
        /// "149 ranges read", "37 of 37 figures written", what failed and what to do. Once at the
        /// end of every operation.
        std::function<void(const QString &)> outcome;
        /// True when a long stretch of instrument work starts (hourglass, buttons off), false
        /// when it ends. Always balanced, whatever way the operation ends.
        std::function<void(bool)> busy;
        /// Around a read exchange the table expects to be long: the expected number of lines,
        /// then the end (the window shows a download progress window in between).
        std::function<void(int expectedLines)> readStarting;
        std::function<void()> readFinished;
        /// After each read exchange and each written cell, so the window can repaint.
        std::function<void()> progress;
        /// After each read exchange, numbered from 1 (the factor table reads one range an
        /// exchange, so the number is the range); false stops the reading, the grid keeps what
        /// it has.
        std::function<bool(int range, const QString &reply)> rangeRead;
        /// After each pending cell was dealt with; false stops the save (the tail still runs).
        std::function<bool(const CellWrite &)> cellWritten;
        /// A written cell whose row, read back, holds `kept` instead (empty when the row could
        /// not be read back).
        std::function<void(const CellWrite &, const QString &kept)> notVerified;
    };

    struct SaveSummary
    {
        Outcome outcome = Outcome::Done;
        int sent = 0; ///< write commands sent
        int accepted = 0;
        int rejected = 0;      ///< refused (and, where the table says so, not a number)
        int unconfirmed = 0;   ///< a status neither yes nor no
        int notANumber = 0;    ///< where the table counts them apart
        int invalid = 0;       ///< not a value, never sent, whichever count they are in
        int toWrite = 0;       ///< pending cells with text when the save began
        int notSent = 0;       ///< pending cells in rows or columns the instrument does not hold
        QString versionRecord; ///< the record sent after the cells, "" when none was due
        bool versionAccepted = true;
        int notVerified = 0; ///< accepted, but not read back as written

        /// Cells written but not taken as sent, or never sent for not being a value.
        int refused() const { return rejected + unconfirmed + notANumber; }
        /// Every cell that was to go to the instrument went and was accepted, and so was the
        /// record after them.
        bool complete() const
        {
            return outcome == Outcome::Done && refused() == 0 && versionAccepted && notVerified == 0;
        }
    };

    /// One instrument command run inside setup mode after a confirmation, its result in the
    /// status box.
    struct Command
    {
        QString question;
        QString title;
        SetupPassword password;
        QString command;
        int timeoutSeconds;
        TableReply::SuccessTest successTest;
        QString done;
        QString failed;
        int settleMs; ///< time the instrument is given after the exit password
    };

    /// What a table tells apart from the other, as data.
    struct Declaration
    {
        /// How the table's texts name the instrument: "calibrator", "meter".
        QString instrumentName;
        /// What the table's cells hold, in the plural: "factors", "figures".
        QString cellsName;

        // Reading: exchanges 1 to readExchanges.
        int readExchanges;
        /// A save reads each row it wrote back (readCommand(row) reads that row alone).
        bool rowsReadBack;
        int readTimeoutSeconds;
        int expectedReadLines; ///< announced through readStarting; 0 announces nothing

        // Writing.
        SetupPassword writePassword;
        int firstWritableRow;
        int lastWritableRow;
        int writeTimeoutSeconds;
        TableReply::Codes codes;
        WriteResult otherStatus;           ///< what a status other than yes, no and the password means
        bool notANumberIsRejected;         ///< a text that is no value counts as rejected, not apart
        QString notAValueText;             ///< the note on such a cell: "not a whole number"
        CellTable::CellState writingState; ///< a cell's state while its write is under way
        QString passwordNeededText;        ///< the message when the save stops for the password
        QString noClearAnswerText;         ///< the message when a write got no status; %1 the cells left
        int closingTimeoutSeconds;
        QString closingRefusedText; ///< the message when the closing record is not accepted

        // Files.
        const TableFile::Kind *file;
        QString loadFailedText;
        bool loadFailedGivesReason; ///< the reason follows the text
        Prompts::Icon loadFailedIcon;

        /// "Clear Meter".
        Command clear;
    };

    /// A long stretch's counter for a caller with no window: the step's name ("factors"), what is
    /// done so far and of how many.
    using Progress = std::function<void(const QString &step, int done, int total)>;
    /// Hooks that count the stretch's progress calls as `step`s up to `total` and pass each count
    /// on (never past the total: a reading calls once more when its last exchange ends).
    static Hooks counting(const QString &step, int total, Progress progress);
    /// How many progress calls a whole reading makes: its exchanges, or the lines it expects.
    int readLength() const;

    virtual ~TableOperation() = default;

    Hooks &hooks() { return m_hooks; }
    /// Whether the table's rows can be read one at a time (readRows, the read-back after a save).
    bool readsRows() const { return m_declaration.rowsReadBack; }
    /// The rows that hold cells still to be written, in order.
    QList<int> rowsToWrite() const;
    /// The instrument's values of each row, by the instrument's index, as it holds them now
    /// (what a save is about to change). False when the table cannot read a row alone or a row
    /// gave no whole answer; *values then holds the rows read before it.
    bool readRows(const QList<int> &rows, QHash<int, QStringList> *values);

    /// Whether a save reads back the rows it wrote and checks every accepted cell (on unless
    /// turned off; only for a table whose rows can be read alone).
    void setVerifyWrites(bool on) { m_verifyWrites = on; }
    /// Whether a save will read its rows back.
    bool verifiesWrites() const { return m_verifyWrites && m_declaration.rowsReadBack; }
    /// The table the operation reads and writes.
    const CellTable &cells() const { return m_table; }

    /// Reads the whole table afresh: the table's read exchanges in order, each reply placed in
    /// the grid. An exchange that gets no answer at all ends the reading with what was placed
    /// so far (Failed).
    Outcome load();
    /// Rows the last reading placed in the grid.
    int rowsLoaded() const { return m_rowsLoaded; }
    /// Writes every pending cell with text, row by row, left to right, then the table's closing
    /// record, if it has one. A write that gets no status back stops the save with that cell and
    /// all later ones still pending and no closing record (Failed); so does the table's
    /// "password needed" status (PasswordNeeded).
    SaveSummary save();

    /// Confirmation, password, the command, its result in the status box, the exit password,
    /// the pause, and (when reread) the table read afresh.
    Outcome run(const Command &command, bool reread);
    /// The same once the engineer has said yes (a window asks before its operation waits its
    /// turn, so the question never comes up in the middle of other work).
    Outcome runConfirmed(const Command &command, bool reread);
    /// The command's question; true for yes.
    static bool confirm(Prompts &prompts, const Command &command);
    /// What the status line says when the question was answered no.
    static QString cancelledText(const Command &command);
    /// "Clear Meter": the table's clearing command run so.
    Outcome clear(bool reread = true) { return run(m_declaration.clear, reread); }

    /// "Save to File": refuses a table its file cannot carry, naming the cell, before a name is
    /// asked; then asks for a name (suggesting today's default) and writes the grid as it
    /// stands. Any failure, a cancelled dialog included, says "Backup not saved".
    Outcome saveToFile();
    /// "Load from File": asks for a file; only a chosen file is loaded. A cancelled dialog keeps
    /// the grid and is no error: only the status line says so.
    Outcome loadFromFile();
    /// A chosen file: it replaces the table, every loaded value pending. A file that cannot be
    /// read is reported.
    Outcome fileLoad(const QString &path);
    /// The same without a message (the command-line tool): false, with a reason, on failure.
    bool loadFile(const QString &path, QString *error);
    /// The table as its file holds it (a snapshot of what the instrument held before a change).
    virtual QByteArray fileBytes() const = 0;
    /// Writes the table's file without a dialog (the command-line tool): false, with a reason.
    bool saveFile(const QString &path, QString *error) const { return writeFile(path, error); }
    /// The file the last loadFile / fileLoad / loadFromFile read, or the last saveToFile wrote,
    /// with the digest of its bytes then; none before either.
    const std::optional<FileReference> &lastFile() const { return m_lastFile; }
    /// A fresh operation of the same table kind on the same channel and prompts, over an empty
    /// table of its own: reading the whole table for a snapshot must not disturb a grid that
    /// holds the engineer's unwritten changes.
    virtual std::shared_ptr<TableOperation> reader(Hooks hooks) const = 0;

protected:
    TableOperation(CellTable &table, InstrumentChannel &dvm, Prompts &prompts, const Declaration &declaration,
                   Hooks hooks);

    /// reader() for a table whose operations are built as Operations(table, dvm, prompts, hooks).
    template <typename Operations, typename Table>
    std::shared_ptr<TableOperation> readerOver(Hooks hooks) const
    {
        struct Held
        {
            Held(InstrumentChannel &dvm, Prompts &prompts, Hooks hooks)
                : operations(table, dvm, prompts, std::move(hooks))
            {
            }
            Table table;
            Operations operations;
        };
        auto held = std::make_shared<Held>(m_dvm, m_prompts, std::move(hooks));
        return std::shared_ptr<TableOperation>(held, &held->operations);
    }

    // --- the table's hooks ---
    /// The empty grid a reading fills.
    virtual void prepareForRead() = 0;
    /// Before the exchange of a reading (the factor table labels the range's row).
    virtual void beforeRead(int) {}
    virtual QString readCommand(int range) const = 0;
    /// Places one exchange's answer, adding the rows it filled to *rows; anything but Done ends
    /// the reading.
    virtual Outcome takeReply(int range, const QString &reply, int *rows) = 0;
    /// The status box's text when a read exchange got no answer; "" says nothing.
    virtual QString unreadText(int) const { return {}; }
    /// The instrument's index of a column, or -1 for a column never written.
    virtual int indexOfColumn(int column) const = 0;
    /// The write command for a cell's text, false when the text is not a value the instrument
    /// takes (sent, it would arrive as some other value).
    virtual bool writeCommand(int row, int index, const QString &text, QString *command) const = 0;
    /// One row's values from the answer to readCommand(row), by the instrument's index; false
    /// when the answer is not a whole row (no status, a refusal).
    virtual bool rowFromReply(const QString &, QStringList *) const { return false; }
    /// A record sent after every cell was dealt with; "" when none is due.
    virtual QString closingRecord(const SaveSummary &) const { return {}; }
    /// Makes the grid ready for a file, then fills it.
    virtual TableFile::ReadResult fillFromFile(const QByteArray &contents) = 0;
    virtual bool writeFile(const QString &path, QString *error) const = 0;

private:
    /// Every command of a table operation goes out here: sent, then its answer awaited up to the
    /// status line.
    ExchangeReply exchange(const QString &command, int timeoutSeconds);
    /// The same, as the answer's text: the lines joined by CR, and a failure's word in place of
    /// an answer that did not come (no status in it, so it is never taken for one).
    QString send(const QString &command, int timeoutSeconds);
    static QString replyText(const ExchangeReply &reply);
    /// The password; on failure "Error entering setup mode", after the exit password when the
    /// instrument's answer leaves open whether it took the password.
    bool enterSetupMode(SetupPassword password);
    WriteResult writeResult(const QString &reply) const;
    /// The reading behind load(), its outcome in words in *report.
    Outcome read(QString *report);
    QString saveReport(const SaveSummary &summary) const;
    void reportOutcome(const QString &text);
    /// Writes one pending cell; false when the save stops there.
    bool writeCell(CellWrite &write, SaveSummary &summary);
    void sendClosingRecord(SaveSummary &summary);
    /// Reads the row back and marks every written cell it does not hold as written.
    void verifyRow(int row, const QList<CellWrite> &accepted, SaveSummary &summary);
    void setStatus(const QString &text);
    void setBusy(bool on);

    CellTable &m_table;
    InstrumentChannel &m_dvm;
    Prompts &m_prompts;
    const Declaration &m_declaration;
    bool m_verifyWrites = true;
    Hooks m_hooks;
    int m_rowsLoaded = 0;
    std::optional<FileReference> m_lastFile;
};
