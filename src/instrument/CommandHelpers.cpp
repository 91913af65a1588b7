#include "instrument/CommandHelpers.h"

#include "instrument/InstrumentChannel.h"
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

/// One password command: true on "*0"; the reply goes to *replyOut.
bool sendPassword(InstrumentChannel &dvm, const QString &command, int timeoutSeconds, ExchangeReply *replyOut)
{
    const ExchangeReply reply = dvm.exchange({command, true, timeoutSeconds, 1});
    if (replyOut)
        *replyOut = reply;
    return Reply::isSuccess(reply.conventionalText());
}

} // namespace

bool SendSystemPassword(InstrumentChannel &dvm, ExchangeReply *reply)
{
    Clock &clock = systemClock();
    clock.pause(150);
    const bool ok = sendPassword(dvm, QStringLiteral("SYSTEM:PASSWORD ") + Password::System, 5, reply);
    clock.pause(50);
    return ok;
}

bool SendCalibratePassword(InstrumentChannel &dvm, ExchangeReply *reply)
{
    const bool ok = sendPassword(dvm, QStringLiteral("CALIBRATE:PASSWORD ") + Password::Calibrate, 10, reply);
    systemClock().pause(50);
    return ok;
}

bool SendCalPassword(InstrumentChannel &dvm)
{
    Clock &clock = systemClock();
    clock.pause(150);
    const bool ok = sendPassword(dvm, QStringLiteral("CAL:PASSWORD ") + Password::Exit, 10, nullptr);
    clock.pause(50);
    return ok;
}

bool EnterSetupMode(InstrumentChannel &dvm, SetupPassword password)
{
    ExchangeReply reply;
    const bool entered =
        password == SetupPassword::System ? SendSystemPassword(dvm, &reply) : SendCalibratePassword(dvm, &reply);
    if (!entered && !Reply::isStatus(reply.conventionalText()))
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
