#include "records/SnapshotStore.h"

#include "platform/Clock.h"
#include "records/DurableFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace {

/// More snapshots than this in one second means something is looping; stop rather than fill the
/// folder.
constexpr int kMaxPerSecond = 1000;

} // namespace

SnapshotStore::SnapshotStore(const QString &folder) : m_folder(folder) {}

QString SnapshotStore::fileNameWord(const QString &text, const QString &fallback)
{
    QString word;
    for (const QChar c : text) {
        // ASCII only: a file name with other letters may not survive a copy to another system.
        if (c.unicode() < 0x80 && c.isLetterOrNumber())
            word += c;
        else if (!word.isEmpty() && !word.endsWith(QLatin1Char('-')))
            word += QLatin1Char('-');
    }
    while (word.endsWith(QLatin1Char('-')))
        word.chop(1);
    return word.isEmpty() ? fallback : word;
}

QString SnapshotStore::fileName(const QString &serial, const QDateTime &time, const QString &operation, TableKind kind,
                                int sequence)
{
    QString name = fileNameWord(serial, QStringLiteral("unknown")) + QLatin1Char('-')
        + time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-')
        + fileNameWord(operation, QStringLiteral("snapshot")).toLower();
    if (sequence > 1)
        name += QStringLiteral("-%1").arg(sequence);
    return name + QLatin1Char('.') + tableKindWord(kind);
}

std::optional<FileReference> SnapshotStore::save(const QByteArray &bytes, const QString &serial,
                                                 const QString &operation, TableKind kind, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QString why;
    if (!DurableFiles::makeFolder(m_folder, &why))
        return fail(why);

    QTemporaryFile temporary(QDir(m_folder).filePath(QStringLiteral(".snapshot-XXXXXX")));
    if (!temporary.open())
        return fail(QStringLiteral("cannot write a snapshot in %1: %2").arg(m_folder, temporary.errorString()));
    if (temporary.write(bytes) != bytes.size() || !temporary.flush())
        return fail(
            QStringLiteral("cannot write the snapshot %1: %2").arg(temporary.fileName(), temporary.errorString()));
    if (!DurableFiles::syncToDisk(temporary, &why))
        return fail(QStringLiteral("cannot write the snapshot %1: %2").arg(temporary.fileName(), why));

    // Renaming never replaces a file that is there, so two programs saving in the same second
    // each get a name of their own.
    const QDateTime now = systemClock().currentDateTime();
    for (int sequence = 1; sequence <= kMaxPerSecond; ++sequence) {
        const QString path = QDir(m_folder).filePath(fileName(serial, now, operation, kind, sequence));
        if (QFile::exists(path))
            continue;
        if (temporary.rename(path)) {
            temporary.setAutoRemove(false);
            DurableFiles::syncFolder(m_folder);
            return FileReference{path, DurableFiles::sha256Hex(bytes)};
        }
        if (!QFile::exists(path))
            return fail(QStringLiteral("cannot name the snapshot %1: %2").arg(path, temporary.errorString()));
    }
    return fail(
        QStringLiteral("cannot name a snapshot in %1: %2 snapshots in one second").arg(m_folder).arg(kMaxPerSecond));
}
