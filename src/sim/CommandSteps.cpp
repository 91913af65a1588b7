#include "sim/CommandSteps.h"

#include "platform/Clock.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimNumbers.h"

#include <QDateTime>

QByteArray numericSetting(const QByteArray &argument, const ValueRange &range,
                          const std::function<void(double value)> &apply)
{
    const std::optional<double> value = argumentNumber(argument);
    if (!value)
        return statusReply(SimStatus::Rejected);
    if (!range.contains(*value))
        return statusReply(SimStatus::OutOfRange);
    apply(*value);
    return statusReply(SimStatus::Ok);
}

bool isClockSetting(const QByteArray &text)
{
    return text.size() == 10 && allDigits(text);
}

QByteArray setClockFromDigits(InstrumentMemory &memory, const QByteArray &digits)
{
    auto field = [&digits](int at) { return digits.mid(at, 2).toInt(); };
    // A two-digit year: the instrument lives in this century.
    const QDate date(2000 + field(4), field(2), field(0));
    const QTime time(field(6), field(8));
    if (!date.isValid() || !time.isValid())
        return statusReply(SimStatus::OutOfRange);
    memory.setClock(QDateTime(date, time), systemClock().currentDateTime());
    return statusReply(SimStatus::Ok);
}

void restartFor(InstrumentMemory &memory, int deafMs)
{
    memory.leaveSetupMode();
    memory.setRemote(false);
    memory.setDeafUntilMs(systemClock().nowMs() + deafMs);
}
