#pragma once

#include <QtGlobal>

// Both halves of a paced line keep the same time: a character takes 1000000 / cps microseconds on
// the wire and has arrived only when its last bit has, so the times round up and the counts down.
// Microseconds, not milliseconds: at 960 a second a character takes 1.04 ms, and rounding each
// line's times to whole milliseconds would make the line slower than its speed.

/// Microseconds from the start of the first character until `chars` characters have crossed a
/// wire carrying `charsPerSecond` (more than 0).
inline qint64 wireUs(qint64 chars, qint64 charsPerSecond)
{
    return (chars * 1000000 + charsPerSecond - 1) / charsPerSecond;
}

/// How many characters have fully crossed `elapsedUs` after the first one started.
inline qint64 charsCrossed(qint64 elapsedUs, qint64 charsPerSecond)
{
    return elapsedUs * charsPerSecond / 1000000;
}
