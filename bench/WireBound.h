#pragma once

#include <QList>

/// One command and its reply as characters on the line (line ends included).
struct WireExchange
{
    qsizetype commandChars = 0;
    qsizetype replyChars = 0;
};

/**
 * @brief The least time a run of exchanges can take on a line of a given speed: every character
 * of every command and reply crosses the wire one after another, and before each command the
 * host makes the pause the protocol requires (5 ms, or 20 ms when the previous command went out
 * less than 0.2 s before). Nothing else: an instrument that answers in no time, a host that
 * loses none.
 */
struct WireBound
{
    double wireMs = 0;  ///< characters / speed
    double pauseMs = 0; ///< the pauses before the commands
    int shortPauses = 0;
    int longPauses = 0;
    qsizetype characters = 0;

    double totalMs() const { return wireMs + pauseMs; }

    /// sinceLastSendMs: how long before the first command the previous one went out.
    static WireBound of(const QList<WireExchange> &exchanges, int charsPerSecond, double sinceLastSendMs);
};
