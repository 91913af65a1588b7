#include "sim/CommandWire.h"

#include "platform/Clock.h"
#include "sim/WireTiming.h"

CommandWire::CommandWire(const FaultKnobs *knobs, Handler handler, QObject *parent)
    : QObject(parent), m_knobs(knobs), m_handler(std::move(handler)), m_wakeUp(this, [this] { pump(); })
{
}

void CommandWire::feed(const QByteArray &bytes)
{
    const qint64 cps = qMax(0, m_knobs->paceCharsPerSecond);
    const qint64 now = systemClock().nowUs();
    if (cps == 0 && m_queue.empty()) {
        const quint64 generation = m_wakeUp.generation();
        for (const QByteArray &line : m_assembler.feed(bytes)) {
            m_handler(line);
            if (generation != m_wakeUp.generation())
                return; // the handler closed the front
        }
        return;
    }

    // Character k of these bytes has crossed at start + (k + 1) / cps; a line is heard with its CR.
    const qint64 start = qMax(now, m_wireFreeAtUs);
    qsizetype from = 0;
    for (qsizetype cr = bytes.indexOf('\r'); cr >= 0; cr = bytes.indexOf('\r', from)) {
        const qint64 heardAt = cps ? start + wireUs(cr + 1, cps) : now;
        for (const QByteArray &line : m_assembler.feed(bytes.mid(from, cr + 1 - from)))
            m_queue.push_back(Line{line, heardAt});
        from = cr + 1;
    }
    m_assembler.feed(bytes.mid(from));
    if (cps)
        m_wireFreeAtUs = start + wireUs(bytes.size(), cps);

    if (!m_wakeUp.stillPending())
        pump();
}

void CommandWire::clear()
{
    m_assembler.clear();
    m_queue.clear();
    m_wireFreeAtUs = 0;
    m_wakeUp.reset();
}

void CommandWire::pump()
{
    while (!m_queue.empty()) {
        if (m_queue.front().heardAtUs > systemClock().nowUs()) {
            m_wakeUp.scheduleAtUs(m_queue.front().heardAtUs);
            return;
        }
        const QByteArray line = m_queue.front().text;
        m_queue.pop_front();
        const quint64 generation = m_wakeUp.generation();
        m_handler(line);
        if (generation != m_wakeUp.generation())
            return; // cleared by the handler; whatever it queued since is pumped by its own feed
    }
}
