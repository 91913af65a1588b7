#pragma once

#include "platform/TraceLine.h"

#include <QIODevice>
#include <QList>
#include <QString>

/**
 * @brief Writes trace lines as the command-line tool and the log window save them: CSV (a header
 * row, then one row per line) or text (the --trace form, one line each).
 */
namespace TraceExport {

enum class Format {
    Csv,
    Text
};

/// CSV for a name ending in ".csv" (any case), text otherwise.
Format formatFor(const QString &fileName);

/// The lines in the format, ready to be written (CSV with its header row).
QByteArray render(const QList<TraceLine> &lines, Format format);

/// Writes the file whole; false with *error naming the file when it cannot be written.
bool save(const QString &path, const QList<TraceLine> &lines, Format format, QString *error);

} // namespace TraceExport
