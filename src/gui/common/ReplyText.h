#pragma once

#include <QString>

class QPlainTextEdit;

/// Text from the instrument or a driver with its line ends as a box or label shows them: a CR LF
/// and a lone CR each become one line break.
QString withLineBreaks(QString text);

/// Adds a reply at the end of a reply box, its line ends shown as line breaks, and leaves the
/// cursor after it, so the box keeps the newest reply in view.
void appendReply(QPlainTextEdit *box, const QString &reply);
