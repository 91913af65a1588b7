#pragma once

#include "caldata/TableOperation.h"
#include "records/JournalRecord.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class InstrumentChannel;

/**
 * @brief One change to an instrument's table as the change journal keeps it, for the windows and
 * the command-line tool alike: the journal made sure of before anything is sent, the instrument
 * named, what is about to change read first (the rows a save writes, or the whole table as a
 * snapshot file), every accepted value noted with what it was and whether reading it back
 * confirmed it, and the record on the disk before the change is reported done.
 *
 * It shows nothing: what went wrong comes back as a text naming the cause and what to do, and the
 * caller says it in its own way (a message box, stderr). Everything but the journal's check runs
 * where the operation runs, on the instrument's thread.
 */
class TableChangeRecorder
{
public:
    TableChangeRecorder(const QString &operation, TableKind kind);

    /// Off: nothing is checked, read or written (the engineer opted out).
    void setEnabled(bool on) { m_enabled = on; }
    bool enabled() const { return m_enabled; }
    TableKind kind() const { return m_kind; }
    /// The record being made.
    JournalRecord &record() { return m_record; }

    /// Whether the journal can take the record now; false, with *error naming the file and the
    /// cause, when it cannot (the change must then not be sent).
    static bool journalWritable(QString *error);
    /// Who the instrument says it is.
    static InstrumentIdentity identityOf(InstrumentChannel &channel);
    /// Records a table read to a file that changed nothing (so the file's origin is known later).
    /// False, with *error, when the journal could not take it.
    static bool recordRead(const QString &operation, const InstrumentIdentity &instrument, const QString &connection,
                           const FileReference &file, QString *error);
    /// Asks the instrument who it is, and notes the connection in words.
    void identify(InstrumentChannel &channel, const QString &connection);
    /// The file the operation read or wrote, with the digest of its bytes now.
    void setFile(const QString &path);
    /// The same, with the digest taken when the file was read (a window's grid loaded earlier).
    void setFile(const FileReference &file) { m_record.file = file; }

    /// Where the journal says the record's file came from: the newest record that read a file
    /// with these bytes from an instrument (a read that changed nothing and was done).
    struct Origin
    {
        enum class Kind {
            Unknown,     ///< no file, or the journal never saw one with these bytes read
            ThisUnit,    ///< read from the instrument now connected
            AnotherUnit, ///< read from an instrument with another serial number
        };
        Kind kind = Kind::Unknown;
        JournalRecord read; ///< the reading's record, when known
    };
    /// identify() and setFile() first.
    Origin fileOrigin() const;
    /// What is wrong with a file read from another unit, naming both serial numbers.
    QString anotherUnitText(const Origin &origin) const;
    /// The warning for a file whose origin the journal does not know.
    QString unknownOriginText() const;

    /// Why a reading before the change could not be kept; the change must not go ahead.
    enum class Failure {
        None,
        Unread, ///< the instrument did not give the table (or the rows) whole
        NotKept ///< the snapshot file could not be written
    };
    /// Reads the whole table ops works on (through a reader of its own, so ops's grid is left as
    /// it is) and keeps it as the record's snapshot; identify() first, for the serial number in
    /// the file's name. The hooks watch the reading (progress, a stop).
    Failure snapshot(const TableOperation &ops, TableOperation::Hooks hooks, QString *error);
    /// A recorder of `operation` whose table (the one `reading` reads) is kept as a snapshot now;
    /// null, with *error the whole message, when it cannot be read or kept. The reading is counted
    /// through `progress`, as "factors" or "specifications", when one is given.
    static std::unique_ptr<TableChangeRecorder> keeping(const QString &operation, TableKind kind,
                                                        TableOperation &reading, InstrumentChannel &channel,
                                                        const QString &connection, QString *error,
                                                        const TableOperation::Progress &progress = {});
    /// Reads what a save of ops's pending cells is about to change: the rows that hold them, where
    /// the table reads a row alone, or else the whole table as a snapshot.
    Failure readBefore(TableOperation &ops, TableOperation::Hooks hooks, QString *error);
    /// Notes, through ops's hooks (those already set still run), every value the next save
    /// accepts and every one its read-back finds not kept.
    void watchSave(TableOperation &ops);

    /// The record with its outcome and the noted values, written to the journal. False, with
    /// *error, when it could not be written (the change itself has happened).
    bool finish(JournalOutcome outcome, QString *error);

    /// How a save or a confirmed command ended, in the journal's words.
    static JournalOutcome outcomeOf(const TableOperation::SaveSummary &summary);
    static JournalOutcome outcomeOf(OperationOutcome outcome);

    /// The texts callers put around a failure.
    static QString journalRefusal(const QString &error);
    static QString readingRefusal(Failure failure, const QString &error, const QString &values);

private:
    JournalRecord m_record;
    TableKind m_kind;
    bool m_enabled = true;
    /// What the instrument held before, by row and then by the instrument's index (rows read
    /// alone) or by the grid's column (a snapshot).
    QHash<int, QStringList> m_before;
    bool m_beforeByIndex = true;
    bool m_verified = false;
    QList<TableOperation::CellWrite> m_accepted;
    QSet<QPair<int, int>> m_notVerified;
};
