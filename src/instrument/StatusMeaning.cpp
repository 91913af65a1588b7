#include "instrument/StatusMeaning.h"

#include "instrument/Reply.h"

namespace StatusMeaning {

QString statusOf(const QString &reply)
{
    const QString line = reply.trimmed();
    return Reply::isStatus(line) ? line.left(2) : QString();
}

QString meaning(const QString &status, const QString &instrument)
{
    const struct
    {
        const char *status;
        const char *meaning;
    } kMeanings[] = {
        {"*0", "taken"},
        {"*2", "the option this needs is not fitted"},
        {"*5", "the value is outside what the %1 takes"},
        {"*6", "the setup password is needed first"},
        {"*7", "the %1 is not open for calibration (its password or adjust mode is needed)"},
        {"*9", "the %1 did not understand the command or its value"},
    };
    for (const auto &m : kMeanings) {
        if (status == QLatin1String(m.status)) {
            const QString text = QString::fromLatin1(m.meaning);
            return text.contains(QLatin1String("%1")) ? text.arg(instrument) : text;
        }
    }
    return QStringLiteral("a status this program knows no meaning for");
}

QString describe(const QString &reply, const QString &instrument)
{
    const QString status = statusOf(reply);
    if (status.isEmpty())
        return QStringLiteral("no answer");
    return status + QStringLiteral(": ") + meaning(status, instrument);
}

} // namespace StatusMeaning
