#include "instrument/TransportState.h"

#include "platform/Clock.h"

void TransportState::paceBeforeSend()
{
    Clock &clock = systemClock();
    const bool recent = clock.nowMs() - lastSendTimeMs < kRecentSendMs;
    clock.pause(recent ? kPacingBackToBackMs : kPacingAfterPauseMs);
}

void TransportState::markSent()
{
    Clock &clock = systemClock();
    lastSendTimeMs = clock.nowMs();
    clock.noteSent();
}
