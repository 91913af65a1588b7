#pragma once

#include "sim/ClockWakeUp.h"
#include "sim/FaultKnobs.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <functional>

/**
 * @brief Puts replies on a wire the way the fault knobs say: late, in pieces, behind noise, at
 * wire speed, or not at all. Every front (pseudo-terminal, UDP, USB, GPIB) hands its replies to
 * one of these with a sink that writes bytes to its own medium.
 *
 * All waiting goes through the process clock, so under a virtual clock a reply delayed by 3 s
 * arrives after exactly 3 virtual seconds. Replies leave in the order they were given, a later
 * one never overtaking an earlier one that is still being paced or held back.
 */
class ReplyDelivery : public QObject
{
    Q_OBJECT
public:
    using Sink = std::function<void(const QByteArray &bytes)>;

    /// knobs must outlive the delivery; they are read when each reply is handed over.
    ReplyDelivery(const FaultKnobs *knobs, Sink sink, QObject *parent = nullptr);

    /// Queues one reply, measured from now. An empty reply sends nothing (not even garbage).
    void deliver(const QByteArray &reply);
    /// True when nothing is waiting to go out.
    bool isIdle() const { return m_queue.empty(); }
    /// Drops every byte not yet sent.
    void cancel();

private:
    struct Piece
    {
        QByteArray bytes;
        bool firstOfReply;
        qint64 notBeforeUs;     ///< first piece: absolute time on the process clock
        int gapAfterPreviousMs; ///< later pieces: quiet after the previous piece ended
        int charsPerSecond;
    };

    void pump();

    const FaultKnobs *m_knobs;
    Sink m_sink;
    std::deque<Piece> m_queue;
    qint64 m_lastPieceEndUs = 0;
    // Progress of the piece being paced: when its first character started and how many went out.
    bool m_pacing = false;
    qint64 m_paceStartUs = 0;
    qsizetype m_pacedChars = 0;
    bool m_pumping = false;
    ClockWakeUp m_wakeUp; ///< a cancel() resets it, which the pump notices too
};
