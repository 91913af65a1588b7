#include "ExchangeTimeline.h"

#include "MeasuringClock.h"
#include "instrument/Exchange.h"
#include "instrument/InstrumentContext.h"
#include "platform/Clock.h"

#include <algorithm>

ExchangeTimeline::ExchangeTimeline()
{
    m_clock.start();
}

void ExchangeTimeline::start()
{
    m_open = false;
    m_runFirst = m_exchanges.size();
    m_pausedNs = 0;
    m_askedPauseMs = 0;
    m_running = true;
    m_runStartNs = m_clock.nsecsElapsed();
}

void ExchangeTimeline::stop()
{
    m_runEndNs = m_clock.nsecsElapsed();
    m_running = false;
}

ExchangeTimeline::Exchange &ExchangeTimeline::current()
{
    if (!m_open) {
        m_exchanges.append(Exchange{});
        m_open = true;
    }
    return m_exchanges.last();
}

void ExchangeTimeline::pauseStarted(int askedMs)
{
    m_pauseStartNs = m_clock.nsecsElapsed();
    if (m_running)
        m_askedPauseMs += qMax(0, askedMs);
}

void ExchangeTimeline::pauseEnded()
{
    if (m_running)
        m_pausedNs += m_clock.nsecsElapsed() - m_pauseStartNs;
}

void ExchangeTimeline::commandSent()
{
    current().sentNs = m_clock.nsecsElapsed();
}

void ExchangeTimeline::exchangeFinished(const ExchangeRequest &request)
{
    Exchange &e = current();
    e.finishedNs = m_clock.nsecsElapsed();
    e.command = request.command;
    e.awaited = request.awaitReply;
    m_open = false;
}

ExchangeTimeline::Split ExchangeTimeline::split(const QList<WireExchange> &wire, int charsPerSecond) const
{
    Split split;
    const QList<Exchange> run = runExchanges();
    split.exchanges = int(run.size());
    split.elapsedMs = double(m_runEndNs - m_runStartNs) / 1e6;
    split.askedPauseMs = double(m_askedPauseMs);
    double wireMs = 0;
    double onTheLineMs = 0;
    for (qsizetype i = 0; i < run.size(); ++i) {
        const WireExchange w = wire.value(i);
        wireMs += double(w.commandChars + w.replyChars) * 1000.0 / charsPerSecond;
        // An exchange refused before the line (not connected, busy) spent no time on it.
        if (run.at(i).sentNs >= 0 && run.at(i).finishedNs >= 0)
            onTheLineMs += double(run.at(i).finishedNs - run.at(i).sentNs) / 1e6;
    }
    split.boundMs = split.askedPauseMs + wireMs;
    if (split.exchanges == 0)
        return split;
    const double pausedMs = double(m_pausedNs) / 1e6;
    split.pauseLateMs = (pausedMs - split.askedPauseMs) / split.exchanges;
    split.betweenMs = (split.elapsedMs - onTheLineMs - pausedMs) / split.exchanges;
    split.lineAndInstrumentMs = (onTheLineMs - wireMs) / split.exchanges;
    return split;
}

ExchangeTimeline::Split ExchangeTimeline::Split::medianOf(QList<Split> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Split &a, const Split &b) { return a.elapsedMs < b.elapsedMs; });
    return runs.at(runs.size() / 2);
}

ExchangeTimeline::Watch::Watch(ExchangeTimeline &timeline, InstrumentContext &context) : m_context(context)
{
    if (auto *measuring = dynamic_cast<MeasuringClock *>(&systemClock()))
        measuring->setTimeline(&timeline);
    context.setExchangeObserver(
        [&timeline](const ExchangeRequest &request, const ExchangeReply &) { timeline.exchangeFinished(request); });
}

ExchangeTimeline::Watch::~Watch()
{
    m_context.setExchangeObserver({});
    if (auto *measuring = dynamic_cast<MeasuringClock *>(&systemClock()))
        measuring->setTimeline(nullptr);
}
