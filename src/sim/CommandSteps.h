#pragma once

// Steps the handlers of several command groups take alike: the clock set from its digits, a
// restart.

#include "sim/SimStatus.h"

#include <QByteArray>

class InstrumentMemory;

/// Whether text has the form the instrument's clock is set with: DDMMYYhhmm, ten digits.
bool isClockSetting(const QByteArray &text);
/// Sets the clock from digits isClockSetting() accepted, the seconds from 0: "*5" for a date or
/// time that does not exist, else "*0".
QByteArray setClockFromDigits(InstrumentMemory &memory, const QByteArray &digits);

/// The instrument restarts: out of setup mode, the front panel handed back, and deaf for deafMs
/// from now on the process clock.
void restartFor(InstrumentMemory &memory, int deafMs);
