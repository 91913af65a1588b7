#pragma once

#include "records/InstrumentIdentity.h"
#include "records/TableKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

/// A file a record names (a table read to or loaded from a file, a snapshot): where it was and
/// the SHA-256 of its bytes in lower-case hex.
struct FileReference
{
    QString path;
    QString sha256;

    bool operator==(const FileReference &) const = default;
};

/// One value an operation changed on the instrument: which table, range (row) and factor or
/// figure index (column), the text before and after, and whether reading it back confirmed it.
struct TableChange
{
    TableKind table = TableKind::Factors;
    int range = 0;
    int column = 0;
    QString before;
    QString after;
    bool verified = false;

    bool operator==(const TableChange &) const = default;
};

/// How the operation a record describes ended.
enum class JournalOutcome {
    Done,    ///< everything it set out to do
    Partial, ///< some of it: the changes list what was written
    Failed,  ///< nothing usable (the instrument or a file failed)
    Refused  ///< the instrument or the program refused it before anything changed
};

/**
 * @brief One entry of the change journal: who did what to which instrument, when, from which
 * file, with which values before and after, and how it ended.
 *
 * A record is written as one line of JSON whose keys always stand in the same order (time, user,
 * host, program, operation, instrument, connection, file, snapshot, changes, outcome, forced,
 * prev), so the same record always gives the same bytes and the journal's chain of digests can be
 * recomputed from the lines alone. Reading takes keys it does not know in its stride and refuses
 * a line whose known keys are missing or of the wrong kind, saying which.
 */
struct JournalRecord
{
    QDateTime time; ///< kept to the millisecond, written in UTC
    QString user;   ///< the login name
    QString host;
    QString programName;
    QString programVersion;
    QString operation; ///< "cal write", "Save To Calibrator", ...
    InstrumentIdentity instrument;
    QString connection; ///< the endpoint in words: "RS-232 port 3 (/dev/ttyUSB0)"
    std::optional<FileReference> file;
    std::optional<FileReference> snapshot;
    QList<TableChange> changes;
    JournalOutcome outcome = JournalOutcome::Failed;
    bool forced = false; ///< the user overrode the check that the file belongs to this instrument
    QString prev;        ///< the SHA-256 of the journal's line before this one; ChangeJournal sets it

    /// A record of `operation` made now (on the process clock), by this user on this computer with
    /// this program; the caller fills in the rest.
    static JournalRecord stamped(const QString &operation);

    /// The record as its line, without the line break.
    QByteArray toLine() const;
    /// Reads a line (with or without its line break). False, with *reason naming the key, when it
    /// is not a record.
    static bool fromLine(const QByteArray &line, JournalRecord *record, QString *reason);

    /// "done", "partial", "failed", "refused".
    static QString outcomeWord(JournalOutcome outcome);

    bool operator==(const JournalRecord &) const = default;
};
