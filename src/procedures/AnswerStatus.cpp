#include "procedures/AnswerStatus.h"

#include "instrument/Reply.h"
#include "instrument/StatusMeaning.h"

QString AnswerStatus::text(const QString &action, const QString &done, const QString &reply)
{
    if (Reply::isSuccess(reply.trimmed()))
        return done;
    if (!StatusMeaning::statusOf(reply).isEmpty())
        return QStringLiteral("%1 refused: %2").arg(action, StatusMeaning::describe(reply));
    return QStringLiteral("No answer to %1: check the connection and try again").arg(action);
}
