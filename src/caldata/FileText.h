#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * @brief What the table files (".spec", ".cal") have in common: their lines, reading a whole small file, and writing one through a temporary file so that a
 * failed save never destroys the previous file.
 */
namespace FileText {

/// The file's lines: CR LF, a lone CR and a lone LF each end a line; a last line without an end
/// still counts; an end at the very end adds no empty line.
QList<QByteArray> splitLines(const QByteArray &contents);

/// Reads the whole file; false, with a reason, when it cannot be read or is larger than maxBytes
/// (a table file is a few tens of kilobytes; a huge file is not one and is not read into memory).
bool readAll(const QString &path, qint64 maxBytes, QByteArray *contents, QString *error = nullptr);

/// Writes the bytes to a temporary file beside `path` and puts it in place only once complete.
/// False, with a reason, when anything failed; the previous file is then untouched. A device or
/// pipe is written in place instead, never replaced.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace FileText
