#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

/**
 * @brief The few file steps the journal and the snapshot store share: the SHA-256 of bytes,
 * making a folder with a reason when it cannot be made, and pushing a file and a folder's entries
 * to the disk before saying they are written.
 */
namespace DurableFiles {

/// The SHA-256 of the bytes in lower-case hex.
QString sha256Hex(const QByteArray &bytes);

/// Makes the folder and those above it. False, with *error naming the folder and why, when it
/// could not be made.
bool makeFolder(const QString &folder, QString *error);

/// Asks the system to put what was written to the open file on the disk. False, with *cause, when
/// it could not.
bool syncToDisk(QFileDevice &file, QString *cause);

/// The same for a folder's entries (a file renamed into it); best effort, where the system allows.
void syncFolder(const QString &folder);

} // namespace DurableFiles
