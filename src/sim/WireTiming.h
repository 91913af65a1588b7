#pragma once

#include <QtGlobal>

// Both halves of a paced line keep the same time: a character takes 1000 / cps ms on the wire
// and has arrived only when its last bit has, so the times round up and the counts down.

/// Milliseconds from the start of the first character until `chars` characters have crossed a
/// wire carrying `charsPerSecond` (more than 0).
inline qint64 wireMs(qint64 chars, qint64 charsPerSecond)
{
    return (chars * 1000 + charsPerSecond - 1) / charsPerSecond;
}

/// How many characters have fully crossed `elapsedMs` after the first one started.
inline qint64 charsCrossed(qint64 elapsedMs, qint64 charsPerSecond)
{
    return elapsedMs * charsPerSecond / 1000;
}
