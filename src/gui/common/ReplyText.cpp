#include "gui/common/ReplyText.h"

#include <QPlainTextEdit>

QString withLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void appendReply(QPlainTextEdit *box, const QString &reply)
{
    box->moveCursor(QTextCursor::End);
    box->insertPlainText(withLineBreaks(reply));
    box->moveCursor(QTextCursor::End);
}
