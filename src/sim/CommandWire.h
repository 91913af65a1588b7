#pragma once

#include "sim/ClockWakeUp.h"
#include "sim/FaultKnobs.h"
#include "sim/LineAssembler.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <functional>

/**
 * @brief The host-to-instrument half of the line: cuts what a host sends into command lines and
 * hands each one on when its CR has reached the instrument.
 *
 * Without wire pacing a line is handed on at once. With the knob's characters per second, the
 * bytes cross the wire one after another from the moment they were written (after whatever is
 * still crossing), so an instrument on a 9600 baud line hears a 14-character command about 15 ms
 * after the host wrote it, exactly as on the real line. Lines are handed on in the order they came.
 */
class CommandWire : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QByteArray &line)>;

    /// knobs must outlive the wire; the pace is read when bytes arrive.
    CommandWire(const FaultKnobs *knobs, Handler handler, QObject *parent = nullptr);

    /// Takes the bytes a host has just written.
    void feed(const QByteArray &bytes);
    /// Forgets a half-received line (its host went away); complete lines still arrive.
    void dropPartialLine() { m_assembler.clear(); }
    /// Forgets a half-received line and every line still crossing the wire.
    void clear();
    /// True when no line is still crossing the wire.
    bool isIdle() const { return m_queue.empty(); }

private:
    struct Line
    {
        QByteArray text;
        qint64 heardAtUs;
    };

    void pump();

    const FaultKnobs *m_knobs;
    Handler m_handler;
    LineAssembler m_assembler;
    std::deque<Line> m_queue;
    qint64 m_wireFreeAtUs = 0; ///< when the last character written so far has crossed
    ClockWakeUp m_wakeUp;      ///< a clear() resets it, which running loops notice too
};
