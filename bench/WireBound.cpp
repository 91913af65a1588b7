#include "WireBound.h"

#include "instrument/TransportState.h"

WireBound WireBound::of(const QList<WireExchange> &exchanges, int charsPerSecond, double sinceLastSendMs)
{
    WireBound bound;
    const double msPerChar = 1000.0 / double(charsPerSecond);
    double now = 0;
    double lastSend = -sinceLastSendMs;
    for (const WireExchange &e : exchanges) {
        const bool recent = now - lastSend < TransportState::kRecentSendMs;
        const double pause = recent ? TransportState::kPacingBackToBackMs : TransportState::kPacingAfterPauseMs;
        (recent ? bound.longPauses : bound.shortPauses) += 1;
        bound.pauseMs += pause;
        now += pause;
        // The command is written at once; it goes out in wireMs, the answer follows it.
        lastSend = now;
        const double wire = double(e.commandChars + e.replyChars) * msPerChar;
        bound.wireMs += wire;
        bound.characters += e.commandChars + e.replyChars;
        now += wire;
    }
    return bound;
}
