#include "instrument/CommandHelpers.h"

#include "instrument/IDVM.h"
#include "instrument/Reply.h"
#include "platform/Clock.h"

QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

namespace {

QString unifyLineEnds(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    t.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return t;
}

} // namespace

bool SendSystemPassword(IDVM &dvm, QString *replyOut)
{
    Clock &clock = systemClock();
    clock.pause(150);
    const QString reply =
        dvm.SendString(QStringLiteral("SYSTEM:PASSWORD ") + Password::System, true, 5, 1);
    if (replyOut)
        *replyOut = reply;
    const bool ok = Reply::isSuccess(reply);
    clock.pause(50);
    return ok;
}

bool SendCalibratePassword(IDVM &dvm, QString *replyOut)
{
    const QString reply =
        dvm.SendString(QStringLiteral("CALIBRATE:PASSWORD ") + Password::Calibrate, true, 10, 1);
    if (replyOut)
        *replyOut = reply;
    const bool ok = Reply::isSuccess(reply);
    systemClock().pause(50);
    return ok;
}

bool SendCalPassword(IDVM &dvm)
{
    Clock &clock = systemClock();
    clock.pause(150);
    const QString reply = dvm.SendString(QStringLiteral("CAL:PASSWORD ") + Password::Exit, true, 10, 1);
    clock.pause(50);
    return Reply::isSuccess(reply);
}

bool EnterSetupMode(IDVM &dvm, SetupPassword password)
{
    QString reply;
    const bool entered = password == SetupPassword::System ? SendSystemPassword(dvm, &reply)
                                                           : SendCalibratePassword(dvm, &reply);
    if (!entered && !Reply::isStatus(reply))
        SendCalPassword(dvm);
    return entered;
}

QStringList SplitLines(const QString &text)
{
    const QString t = unifyLineEnds(text);
    QStringList lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype cr = t.indexOf(QLatin1Char('\r'), from);
        if (cr < 0)
            break;
        lines << trimBlanks(t.mid(from, cr - from));
        from = cr + 1;
    }
    if (from < t.size())
        lines << t.mid(from);
    if (lines.isEmpty())
        lines << QString();
    return lines;
}

QStringList SplitString(const QString &text, const QString &delimiter)
{
    const QString t = unifyLineEnds(text);
    QStringList fields;
    if (delimiter.isEmpty())
        return {t};
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = t.indexOf(delimiter, from);
        if (at < 0)
            break;
        QString piece = trimBlanks(t.mid(from, at + delimiter.size() - from));
        fields << piece.remove(delimiter);
        from = at + delimiter.size();
    }
    if (from < t.size()) {
        QString rest = t.mid(from);
        fields << rest.remove(delimiter);
    }
    if (fields.isEmpty())
        fields << QString();
    return fields;
}
