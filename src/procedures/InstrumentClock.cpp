#include "procedures/InstrumentClock.h"

#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"
#include "procedures/ClockCommand.h"
#include "procedures/LenientDate.h"

QString InstrumentClock::Reading::labelText() const
{
    return at ? LenientDate::displayForm(*at) : InvalidReply;
}

InstrumentClock::Reading InstrumentClock::read() const
{
    Reading reading;
    reading.exchange = m_channel.exchange({QStringLiteral("T"), true, kReadTimeoutSeconds, 1});
    reading.reply = reading.exchange.conventionalText().remove(QLatin1Char('\n'));
    reading.at = LenientDate::instrumentClock(reading.reply);
    return reading;
}

InstrumentClock::Setting InstrumentClock::set(const QDate &date, const QTime &time) const
{
    Setting setting;
    setting.command = ClockCommand::command(date, time);
    // The password's answer is not looked at: a refusal shows in the answer to the setting.
    // Without an instrument nothing more is sent.
    if (!SendSystemPassword(m_channel, &setting.exchange) && setting.exchange.outcome == ExchangeOutcome::NotConnected)
        return setting;
    setting.exchange = m_channel.exchange({setting.command, true, kSetTimeoutSeconds, 1});
    setting.reply = setting.exchange.conventionalText().remove(QLatin1Char('\n'));
    setting.accepted = Reply::isSuccess(setting.reply);
    if (setting.accepted)
        setting.reread = read();
    // Setup mode is left whatever happened, so the instrument is never left open for writing.
    SendCalPassword(m_channel);
    return setting;
}
