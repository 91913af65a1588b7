#pragma once

#include "WireBound.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

struct ExchangeRequest;
class InstrumentContext;

/**
 * @brief When each exchange of a run sent its command and had its reply, and how long the run
 * paused, to the nanosecond: so the time a run takes beyond its wire bound can be split between
 * the host and the line with the instrument on it.
 *
 * Fed by the measuring clock (pauses, commands sent) and the context's exchange observer
 * (replies complete); nothing in the program changes for it. Over a run:
 * - the bound is the pauses the program asked for plus every command's and awaited reply's
 *   characters at the line's speed;
 * - the line's and instrument's share is, summed over the exchanges, the time from a command's
 *   write to its complete reply less those characters' time;
 * - the host's share is the rest: the pauses beyond what was asked, and everything the program
 *   did between a reply and the next command.
 */
class ExchangeTimeline
{
public:
    struct Exchange
    {
        qint64 sentNs = -1; ///< -1: refused before anything went on the line
        qint64 finishedNs = -1;
        QString command;
        bool awaited = true;
    };

    /// A run's time, per exchange where it says so, in milliseconds.
    struct Split
    {
        int exchanges = 0;
        double elapsedMs = 0;
        double boundMs = 0;
        double askedPauseMs = 0;
        double pauseLateMs = 0;         ///< per exchange: pauses beyond what was asked
        double betweenMs = 0;           ///< per exchange: the program's own work
        double lineAndInstrumentMs = 0; ///< per exchange
        double hostMs() const { return pauseLateMs + betweenMs; }
        double ratio() const { return boundMs > 0 ? elapsedMs / boundMs : 0; }
        /// The run of median elapsed time among runs (at least one).
        static Split medianOf(QList<Split> runs);
    };

    ExchangeTimeline();

    /// Starts a run; the exchanges before it stay known (a replay needs them) but are not its own.
    void start();
    /// Ends the run: its elapsed time is taken now.
    void stop();

    void pauseStarted(int askedMs);
    void pauseEnded();
    void commandSent();
    void exchangeFinished(const ExchangeRequest &request);

    /// Every exchange since the timeline was made, the run's last.
    const QList<Exchange> &exchanges() const { return m_exchanges; }
    /// The run's exchanges, and where they start among all of them.
    QList<Exchange> runExchanges() const { return m_exchanges.mid(m_runFirst); }
    qsizetype runFirst() const { return m_runFirst; }

    /// The run split against its bound; wire holds each of the run's exchanges on the line.
    Split split(const QList<WireExchange> &wire, int charsPerSecond) const;

    /// Observes the context's exchanges and the process's measuring clock while it lives.
    class Watch
    {
    public:
        Watch(ExchangeTimeline &timeline, InstrumentContext &context);
        ~Watch();
        Q_DISABLE_COPY_MOVE(Watch)

    private:
        InstrumentContext &m_context;
    };

private:
    Exchange &current();

    QElapsedTimer m_clock;
    QList<Exchange> m_exchanges;
    bool m_open = false; ///< the last exchange has not finished yet
    qsizetype m_runFirst = 0;
    bool m_running = false;
    qint64 m_runStartNs = 0;
    qint64 m_runEndNs = 0;
    qint64 m_pauseStartNs = 0;
    qint64 m_pausedNs = 0;
    qint64 m_askedPauseMs = 0;
};
