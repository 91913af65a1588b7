#pragma once

#include "records/JournalRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

/**
 * @brief The change journal: one append-only file holding a record per line (JSON Lines), each
 * line carrying the SHA-256 of the line before it, so a line changed, removed or slipped in
 * afterwards breaks the chain where it happened.
 *
 * An append is whole or not at all: the line and its line break are on the disk before append()
 * returns true, and a write that fails part way is cut back, so the file never ends in half a
 * line. Programs appending at the same moment take turns under a lock on the file and never
 * interleave their lines.
 */
class ChangeJournal
{
public:
    /// The `prev` of a journal's first record.
    static inline const QString kFirstPrev = QString(64, QLatin1Char('0'));

    explicit ChangeJournal(const QString &path);

    QString path() const { return m_path; }

    /// Writes the record as the journal's next line, with its `prev` set to the digest of the line
    /// now last. False, with *error naming the file and the cause, when the folder cannot be
    /// made, the file cannot be written or the disk is full; the file is then as it was, and the
    /// record's `prev` too.
    bool append(JournalRecord &record, QString *error = nullptr);

    /// Whether a record could be appended now: the folder can be made and the file opened for
    /// writing (an empty file is made when there is none). Asked before a change is sent, so a
    /// journal that cannot be written refuses the change rather than losing its record. False,
    /// with *error naming the file and the cause.
    bool canAppend(QString *error = nullptr) const;

    /// A line that holds a record, with the bytes it is stored as (without the line break).
    struct Entry
    {
        int line = 0; ///< counted from 1
        QByteArray text;
        JournalRecord record;
    };
    /// A line that does not, and why.
    struct Problem
    {
        int line = 0;
        QString reason;
        QByteArray text;
    };
    struct Contents
    {
        bool readable = true; ///< false: the file is there but could not be read (see error)
        QString error;
        QList<Entry> entries; ///< in the order they are stored, oldest first
        QList<Problem> problems;
        int lineCount = 0;
    };
    /// Every line; no file yet is an empty journal.
    Contents records() const;

    struct Verification
    {
        bool readable = true;
        QString error; ///< why the file could not be read
        int count = 0; ///< lines in the journal
        bool intact = true;
        QString head;       ///< the digest of the last line (kFirstPrev for an empty journal)
        int brokenLine = 0; ///< the first line whose record is malformed or whose prev does not match
        QString reason;
    };
    /// Recomputes the chain from the first line to the last.
    Verification verify() const;

    /// The lines of a journal's bytes, as records() reads them from the file.
    static Contents parse(const QByteArray &bytes);
    /// The chain of lines already read.
    static Verification verify(const Contents &contents);

    /// The newest record whose file has this SHA-256 (either case) and that `accept` takes (any,
    /// when it is empty), if any.
    std::optional<JournalRecord> findFile(const QString &sha256,
                                          const std::function<bool(const JournalRecord &)> &accept = {}) const;

    /// The digest a line's follower carries as its prev: the SHA-256 of the line's bytes as
    /// stored, without its line break.
    static QString lineDigest(const QByteArray &line);

private:
    QString m_path;
};
