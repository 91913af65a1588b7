#include "sim/ReplyDelivery.h"

#include "platform/Clock.h"
#include "sim/SimLog.h"
#include "sim/WireTiming.h"

#include <QScopeGuard>

namespace {
// A paced reply goes out in chunks at most this often; a real serial driver hands over its
// receive buffer in bursts too.
constexpr qint64 kPaceTickUs = 10000;
} // namespace

ReplyDelivery::ReplyDelivery(const FaultKnobs *knobs, Sink sink, QObject *parent)
    : QObject(parent), m_knobs(knobs), m_sink(std::move(sink)), m_wakeUp(this, [this] { pump(); })
{
}

void ReplyDelivery::deliver(const QByteArray &reply)
{
    if (reply.isEmpty())
        return;
    const FaultKnobs &k = *m_knobs;
    if (k.silent) {
        qCDebug(lcSim) << "silent, reply dropped" << reply;
        return;
    }
    const QByteArray data = k.garbage + reply;
    const qsizetype pieces = qBound(qsizetype(1), qsizetype(k.splitPieces), data.size());
    const qint64 notBefore = systemClock().nowUs() + qint64(qMax(0, k.replyDelayMs)) * 1000;
    qsizetype from = 0;
    for (qsizetype i = 0; i < pieces; ++i) {
        // The first pieces take one byte more when the length does not divide evenly.
        const qsizetype length = data.size() / pieces + (i < data.size() % pieces ? 1 : 0);
        m_queue.push_back(
            Piece{data.mid(from, length), i == 0, notBefore, qMax(0, k.splitGapMs), qMax(0, k.paceCharsPerSecond)});
        from += length;
    }

    if (!m_wakeUp.stillPending() && !m_pumping)
        pump();
}

void ReplyDelivery::cancel()
{
    m_queue.clear();
    m_pacing = false;
    m_pacedChars = 0;
    m_wakeUp.reset();
}

void ReplyDelivery::pump()
{
    // A sink may hand over or cancel replies while it writes; the loop below picks those up.
    m_pumping = true;
    const auto done = qScopeGuard([this] { m_pumping = false; });
    while (!m_queue.empty()) {
        const qint64 now = systemClock().nowUs();
        Piece &piece = m_queue.front();
        if (!m_pacing) {
            const qint64 due =
                piece.firstOfReply ? piece.notBeforeUs : m_lastPieceEndUs + qint64(piece.gapAfterPreviousMs) * 1000;
            if (due > now) {
                m_wakeUp.scheduleAtUs(due);
                return;
            }
            if (piece.charsPerSecond == 0) {
                const QByteArray bytes = piece.bytes;
                m_queue.pop_front();
                m_lastPieceEndUs = now;
                m_sink(bytes);
                continue;
            }
            m_pacing = true;
            m_paceStartUs = now;
            m_pacedChars = 0;
        }

        const qint64 cps = piece.charsPerSecond;
        const qsizetype size = piece.bytes.size();
        const qsizetype arrived = qMin<qsizetype>(size, charsCrossed(now - m_paceStartUs, cps));
        if (arrived > m_pacedChars) {
            const QByteArray chunk = piece.bytes.mid(m_pacedChars, arrived - m_pacedChars);
            m_pacedChars = arrived;
            const quint64 generation = m_wakeUp.generation();
            m_sink(chunk);
            if (generation != m_wakeUp.generation())
                continue; // cancelled by the sink
        }
        if (m_pacedChars >= size) {
            m_queue.pop_front();
            m_pacing = false;
            m_pacedChars = 0;
            m_lastPieceEndUs = now;
            continue;
        }
        const qint64 nextCharAt = m_paceStartUs + wireUs(m_pacedChars + 1, cps);
        const qint64 lastCharAt = m_paceStartUs + wireUs(size, cps);
        m_wakeUp.scheduleAtUs(qMin(qMax(nextCharAt, now + kPaceTickUs), lastCharAt));
        return;
    }
}
