#pragma once

// Steps the handlers of several command groups take alike: a setting read from the argument and
// kept within its range, the clock set from its digits, a list of factors answered, a restart.

#include "sim/SimStatus.h"
#include "sim/ValueRange.h"

#include <QByteArray>

#include <functional>

class InstrumentMemory;

/// A setting given as a number: "*9" when the argument is no number, "*5" when the range does not
/// take it; otherwise apply(value), and "*0".
QByteArray numericSetting(const QByteArray &argument, const ValueRange &range,
                          const std::function<void(double value)> &apply);

/// Whether text has the form the instrument's clock is set with: DDMMYYhhmm, ten digits.
bool isClockSetting(const QByteArray &text);
/// Sets the clock from digits isClockSetting() accepted, the seconds from 0: "*5" for a date or
/// time that does not exist, else "*0".
QByteArray setClockFromDigits(InstrumentMemory &memory, const QByteArray &digits);

/// Factors as the instrument lists them: one a line, then "*0".
template <typename Factors>
QByteArray factorListReply(const Factors &factors)
{
    QByteArray reply;
    for (const auto factor : factors)
        reply += replyLine(QByteArray::number(factor));
    return reply + statusReply(SimStatus::Ok);
}

/// The instrument restarts: out of setup mode, the front panel handed back, and deaf for deafMs
/// from now on the process clock.
void restartFor(InstrumentMemory &memory, int deafMs);
