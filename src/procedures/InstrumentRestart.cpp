#include "procedures/InstrumentRestart.h"

#include "platform/Clock.h"

InstrumentRestart::Result InstrumentRestart::run(const std::function<void(const QString &)> &progress) const
{
    Result result;
    const ExchangeReply sent = m_channel.exchange({Command, false, kRebootTimeoutSeconds, 1});
    // Nothing went out: there is no restart to wait for.
    if (sent.outcome == ExchangeOutcome::NotConnected || sent.outcome == ExchangeOutcome::Busy)
        return result;
    while (result.attempts < kAttempts) {
        if (progress) {
            progress(result.attempts == 0 ? Restarting
                                          : Restarting
                             + QStringLiteral("\nAsking again (%1 of %2)").arg(result.attempts + 1).arg(kAttempts));
        }
        ++result.attempts;
        const ExchangeReply reply = m_channel.exchange({QStringLiteral("T"), true, kQueryTimeoutSeconds, 1});
        if (reply.outcome == ExchangeOutcome::Answered) {
            result.answered = true;
            result.reply = reply.conventionalText().remove(QLatin1Char('\n'));
            return result;
        }
        if (reply.outcome == ExchangeOutcome::NotConnected)
            return result;
        systemClock().pause(kRetryPauseMs);
    }
    return result;
}
