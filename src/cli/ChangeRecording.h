#pragma once

#include "caldata/TableChangeRecorder.h"

#include <QString>

class TableOperation;
class RunContext;
struct CliOption;

/**
 * @brief The command-line tool's side of the change journal for one command that changes the
 * instrument: before anything is sent it makes sure the journal can be written (or that the
 * engineer opted out with --no-journal, which it says on stderr), it names the instrument, and
 * once the command has ended it writes the command's record, flushed to disk, before the tool
 * reports done. The journal's work is TableChangeRecorder's; this adds the tool's messages and
 * exit statuses.
 */
class ChangeRecording
{
public:
    static const QString kNoJournal;
    /// The --no-journal option for a command's option table.
    static CliOption option();

    ChangeRecording(RunContext &run, const QString &operation, TableKind kind = TableKind::Factors);

    /// Whether a record is kept (the engineer did not opt out).
    bool enabled() const { return m_recorder.enabled(); }
    /// Checks that the journal can take the record, then asks the instrument who it is. False,
    /// after the message, when it cannot: *exitCode is then the tool's exit status and nothing
    /// has been sent. A command that changes nothing (a read to a file) is not refused: it warns
    /// and goes on without a record, and its instrument is asked who it is only at the end.
    bool begin(int *exitCode, bool changesInstrument = true);
    /// The guard against one unit's factors written onto another (setFile() first): a file the
    /// journal says was read from an instrument with another serial number is refused, after the
    /// message and a record of the refusal (*exitCode 3), unless `force`, which is said on stderr
    /// and recorded; a file the journal does not know is written after a warning.
    bool guardOrigin(bool force, int *exitCode);
    /// Reads the whole table about to change (beside ops's own) and keeps it as a snapshot file,
    /// named in the record. False, after the message, when it cannot be read or kept: nothing is
    /// to be changed then, and *exitCode is the tool's exit status.
    bool snapshot(TableOperation &ops, int *exitCode);
    /// Reads what a save of ops's pending cells is about to change (the rows, or a snapshot), and
    /// watches the save for the values it changes. False as snapshot() is.
    bool prepareSave(TableOperation &ops, const QString &values, int *exitCode);
    /// The record being made.
    JournalRecord &record() { return m_recorder.record(); }
    /// The file the command read or wrote, with the digest of its bytes now.
    void setFile(const QString &path) { m_recorder.setFile(path); }
    /// Writes the record with its outcome. False, after a message, when it could not be written.
    bool finish(JournalOutcome outcome);

private:
    void identify();
    bool refuseReading(TableChangeRecorder::Failure failure, const QString &error, const QString &values,
                       int *exitCode);

    RunContext &m_run;
    TableChangeRecorder m_recorder;
};
