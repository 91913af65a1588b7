#include "sim/CommandWire.h"

#include "platform/Clock.h"

namespace {
qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}
} // namespace

CommandWire::CommandWire(const FaultKnobs *knobs, Handler handler, QObject *parent)
    : QObject(parent), m_knobs(knobs), m_handler(std::move(handler))
{
}

void CommandWire::feed(const QByteArray &bytes)
{
    const qint64 cps = qMax(0, m_knobs->paceCharsPerSecond);
    const qint64 now = systemClock().nowMs();
    if (cps == 0 && m_queue.empty()) {
        const quint64 generation = m_generation;
        for (const QByteArray &line : m_assembler.feed(bytes)) {
            m_handler(line);
            if (generation != m_generation)
                return; // the handler closed the front
        }
        return;
    }

    // Character k of these bytes has crossed at start + (k + 1) / cps; a line is heard with its CR.
    const qint64 start = qMax(now, m_wireFreeAtMs);
    qsizetype from = 0;
    for (qsizetype cr = bytes.indexOf('\r'); cr >= 0; cr = bytes.indexOf('\r', from)) {
        const qint64 heardAt = cps ? start + ceilDiv((cr + 1) * 1000, cps) : now;
        for (const QByteArray &line : m_assembler.feed(bytes.mid(from, cr + 1 - from)))
            m_queue.push_back(Line{line, heardAt});
        from = cr + 1;
    }
    m_assembler.feed(bytes.mid(from));
    if (cps)
        m_wireFreeAtMs = start + ceilDiv(bytes.size() * 1000, cps);

    if (m_wakePending && m_wakeClock != &systemClock()) {
        // A wake-up promised by a clock that is no longer the process clock will never come.
        ++m_generation;
        m_wakePending = false;
    }
    if (!m_wakePending)
        pump();
}

void CommandWire::clear()
{
    m_assembler.clear();
    m_queue.clear();
    m_wireFreeAtMs = 0;
    ++m_generation;
    m_wakePending = false;
}

void CommandWire::pump()
{
    Clock &clock = systemClock();
    while (!m_queue.empty()) {
        const qint64 now = clock.nowMs();
        if (m_queue.front().heardAtMs > now) {
            const quint64 generation = m_generation;
            m_wakePending = true;
            m_wakeClock = &clock;
            clock.schedule(int(m_queue.front().heardAtMs - now), this, [this, generation] {
                if (generation != m_generation)
                    return;
                m_wakePending = false;
                pump();
            });
            return;
        }
        const QByteArray line = m_queue.front().text;
        m_queue.pop_front();
        const quint64 generation = m_generation;
        m_handler(line);
        if (generation != m_generation)
            return; // cleared by the handler; whatever it queued since is pumped by its own feed
    }
}
