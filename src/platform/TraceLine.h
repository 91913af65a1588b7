#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

/// Shows control characters of wire text readably: CR as \r, LF as \n, a backslash doubled, other
/// control and non-ASCII bytes as \xNN. The one spelling every trace, log and export uses.
QString visibleWireText(const QByteArray &bytes);
QString visibleWireText(const QString &text);

/**
 * @brief One line of the I/O trace as it is shown, saved and printed: when, how long, on which
 * interface, which way ("send", "recv", "open", "close", "lost", "heard", "reply"), the wire text
 * made visible, and how it went.
 *
 * The instrument layer turns its exchange records into these lines, and the virtual calibrator
 * writes its own side in the same form, so a trace from either end reads alike.
 */
struct TraceLine
{
    QDateTime time;
    qint64 durationMs = -1; ///< -1 for a line that has no duration (a connection event)
    QString interface;
    QString direction;
    QString text;    ///< already visible: no raw control characters
    QString outcome; ///< "answered", "time-out", "refused *3", ...
    bool failed = false;

    bool operator==(const TraceLine &other) const = default;
};

namespace TraceFormat {

/// The time of day as every trace line starts: "HH:mm:ss.zzz".
QString timeOfDay(const QDateTime &time);

/// The line as --trace prints it and the log window saves it as text: the time of day, the
/// direction and the text; a failure adds its outcome after " -- ".
QString textLine(const TraceLine &line);

/// The columns of the CSV form, as the header row names them.
QStringList csvColumns();
QString csvHeader();
/// One CSV row (without the line end): time as ISO 8601 with milliseconds, then the columns.
QString csvRow(const TraceLine &line);
/// A field quoted when it holds a comma, a quote, CR or LF, its quotes doubled.
QString csvField(const QString &field);
/// Rows end with CRLF, as CSV readers expect.
inline constexpr char kCsvLineEnd[] = "\r\n";

} // namespace TraceFormat
