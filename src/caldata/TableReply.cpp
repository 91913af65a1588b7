#include "caldata/TableReply.h"

#include "instrument/Reply.h"

TableReply::Kind TableReply::classify(const QString &reply, const Codes &codes)
{
    // No answer (the reply texts of a failure hold no status) or noise in front of a status: the
    // instrument may or may not have carried the command out.
    if (!Reply::isStatus(reply))
        return Kind::NoAnswer;
    if (Reply::isSuccess(reply))
        return Kind::Success;
    if (!codes.refused.isEmpty() && reply.startsWith(codes.refused))
        return Kind::Refused;
    if (!codes.passwordNeeded.isEmpty() && reply.startsWith(codes.passwordNeeded))
        return Kind::PasswordNeeded;
    return Kind::OtherStatus;
}

bool TableReply::isSuccess(const QString &reply, SuccessTest test)
{
    if (test == SuccessTest::Prefix)
        return Reply::isSuccess(reply);
    // The transport ends every line with CR, which is not part of the status.
    QString line = reply;
    line.remove(QLatin1Char('\r'));
    line.remove(QLatin1Char('\n'));
    return line == QLatin1String("*0");
}
