#pragma once

#include <QtGlobal>
#include <QDateTime>
#include <functional>

class QObject;

/**
 * @brief Time as the program sees it: monotonic milliseconds, the wall clock, fixed pauses,
 * event-driven waits and delayed callbacks.
 *
 * Every wait of the instrument layer goes through a Clock so that tests can put a virtual
 * clock in its place and run a 120 s time-out without sleeping for it.
 */
class Clock
{
public:
    virtual ~Clock() = default;

    /// Milliseconds on a monotonic scale; only differences mean anything.
    virtual qint64 nowMs() const = 0;

    /// The computer's date and time (for clock commands and file names).
    virtual QDateTime currentDateTime() const = 0;

    /// A fixed pause. The window keeps painting and I/O keeps flowing, but no user input is taken.
    virtual void pause(int ms) = 0;

    /// Lets events run until wake() is called or nowMs() reaches deadlineMs, whichever is first.
    /// A wake() that came while nobody waited makes the next wait return at once, so an arrival
    /// between "check the buffer" and "wait" is never lost.
    virtual void waitUntil(qint64 deadlineMs) = 0;

    /// Ends the current waitUntil (data arrived, the port failed, ...).
    virtual void wake() = 0;

    /// Tells the clock that a command went out, so a reply may be on its way.
    virtual void noteSent() {}

    /// Runs callback after delayMs on this clock's time scale, unless context is destroyed first.
    virtual void schedule(int delayMs, QObject *context, std::function<void()> callback) = 0;

    /// Microseconds on the scale of nowMs(), for what must keep time finer than a millisecond
    /// (a line's characters at 960 a second). A clock that counts whole milliseconds gives those.
    virtual qint64 nowUs() const { return nowMs() * 1000; }

    /// Runs callback once nowUs() has reached atUs, never before, unless context is destroyed
    /// first. On a whole-millisecond clock, at the first millisecond not before atUs.
    virtual void scheduleAtUs(qint64 atUs, QObject *context, std::function<void()> callback)
    {
        const qint64 delayUs = qMax<qint64>(0, atUs - nowUs());
        schedule(int((delayUs + 999) / 1000), context, std::move(callback));
    }
};

/// The process-wide clock. Tests install their own with setSystemClock.
Clock &systemClock();
void setSystemClock(Clock *clock);
