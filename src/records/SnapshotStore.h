#pragma once

#include "records/JournalRecord.h"
#include "records/TableKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

/**
 * @brief Keeps a copy of a table as it stood before an operation replaced it, one file per
 * snapshot, named `<serial>-<YYYYMMDD-HHMMSS>-<operation>.cal` (or `.spec`) from the time in UTC,
 * as the journal gives its times.
 *
 * A snapshot is written to a temporary file, put on the disk and only then given its name, so a
 * snapshot that exists is whole. An existing snapshot is never replaced: a second one in the same
 * second is named with "-2", a third "-3", and so on.
 */
class SnapshotStore
{
public:
    explicit SnapshotStore(const QString &folder);

    QString folder() const { return m_folder; }

    /// Saves the table's file bytes taken from the instrument with this serial number before
    /// `operation` ("cal clear"); the time is now on the process clock. Returns where it went and
    /// the SHA-256 of the bytes (for the journal record's `snapshot`), or nothing with *error
    /// naming the file or folder and the cause.
    std::optional<FileReference> save(const QByteArray &bytes, const QString &serial, const QString &operation,
                                      TableKind kind, QString *error = nullptr);

    /// The file name of the `sequence`th snapshot (1 for the first) of that second.
    static QString fileName(const QString &serial, const QDateTime &time, const QString &operation, TableKind kind,
                            int sequence = 1);
    /// A text as a word a file name can hold on any system: runs of anything but letters and
    /// digits become one "-", with none at either end; `fallback` when nothing is left.
    static QString fileNameWord(const QString &text, const QString &fallback);

private:
    QString m_folder;
};
