#include "procedures/InstrumentClock.h"

#include "instrument/CommandHelpers.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
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
    reading.reply = m_link.send(QStringLiteral("T"), true, kReadTimeoutSeconds, 1);
    reading.outcome = m_link.context().state().lastOutcome;
    reading.at = LenientDate::instrumentClock(reading.reply);
    return reading;
}

InstrumentClock::Setting InstrumentClock::set(const QDate &date, const QTime &time) const
{
    Setting setting;
    setting.command = ClockCommand::command(date, time);
    IDVM *dvm = m_link.dvm();
    if (!dvm)
        return setting;
    // The password's answer is not looked at: a refusal shows in the answer to the setting.
    SendSystemPassword(*dvm);
    setting.reply = m_link.send(setting.command, true, kSetTimeoutSeconds, 1);
    setting.outcome = m_link.context().state().lastOutcome;
    setting.accepted = Reply::isSuccess(setting.reply);
    if (setting.accepted)
        setting.reread = read();
    // Setup mode is left whatever happened, so the instrument is never left open for writing.
    SendCalPassword(*dvm);
    return setting;
}
