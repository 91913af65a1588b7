#include "records/SnapshotOpening.h"

#include "records/DurableFiles.h"

#include <QFile>

SnapshotOpening SnapshotOpening::check(const FileReference &snapshot)
{
    QFile file(snapshot.path);
    if (!file.open(QIODevice::ReadOnly))
        return {State::Missing,
                QStringLiteral("The snapshot %1 cannot be read: %2").arg(snapshot.path, file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {State::Missing,
                QStringLiteral("The snapshot %1 cannot be read: %2").arg(snapshot.path, file.errorString())};
    const QString digest = DurableFiles::sha256Hex(bytes);
    if (digest != snapshot.sha256.toLower())
        return {State::Changed,
                QStringLiteral("The snapshot %1 has changed since it was kept: its SHA-256 is %2, the "
                               "journal recorded %3.\n\nLoad it into the grid all the same?")
                    .arg(snapshot.path, digest, snapshot.sha256)};
    return {State::Intact, QString()};
}

QString SnapshotOpening::windowName(TableKind kind)
{
    return kind == TableKind::Factors ? QStringLiteral("Calibration Factors") : QStringLiteral("Specifications");
}

QString SnapshotOpening::busyText(TableKind kind)
{
    return QStringLiteral("The %1 window is busy with the instrument. Open the snapshot again once it has finished.")
        .arg(windowName(kind));
}

QString SnapshotOpening::outcomeText(const QString &path, TableKind kind, bool loaded)
{
    if (loaded)
        return QStringLiteral("Loaded %1 into the %2 window; nothing has been sent to the instrument")
            .arg(path, windowName(kind));
    return QStringLiteral("%1 was not loaded into the %2 window").arg(path, windowName(kind));
}
