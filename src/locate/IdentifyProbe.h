#pragma once

#include "instrument/Exchange.h"
#include "instrument/serial/SerialLineReader.h"
#include "instrument/serial/SerialPortControl.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class PortTable;

/**
 * @brief Asks one serial port for its identification without blocking the thread, so that many
 * ports can be asked at once.
 *
 * The exchange is the one Identify makes through the serial transport: open the port, a lone CR
 * (the instrument drops any partial line), a settle pause, "*IDN?" with CR, then the first
 * non-empty line within the identification wait. The reply follows Identify's rules: the line
 * followed by CR, or "" for silence, a port that will not open or fails, and an echo of the query.
 * The port is closed again as soon as the answer is known.
 *
 * The probe talks to the port itself, not through the instrument driver, so it makes its own
 * trace: while someone listens to the trace bus, one record per probe (the port in words, the
 * query, the line heard, answered / time-out / would not open / failed). A cancelled probe
 * leaves none: the search gave up on it, the port did not.
 */
class IdentifyProbe : public QObject
{
    Q_OBJECT
public:
    IdentifyProbe(PortTable *table, int portNumber, QObject *parent = nullptr);
    ~IdentifyProbe() override;

    int portNumber() const { return m_port.portNumber(); }

    /// Opens the port and starts the exchange; finished() follows (at once if the port will not open).
    void start();
    /// Gives up: closes the port; finished() is not emitted any more.
    void cancel();

    bool isFinished() const { return m_stage == Stage::Done; }
    /// The identification once finished (see above).
    QString reply() const { return m_reply; }

signals:
    void finished();

private:
    enum class Stage {
        Idle,
        Settling,
        Waiting,
        Done
    };

    void sendQuery();
    void onLine(const QString &line);
    /// `heard` is the line as it came, for the trace; `reply` what the search is given.
    void finish(ExchangeOutcome outcome, const QString &reply, const QString &heard = {});
    void publishTrace(ExchangeOutcome outcome, const QString &heard) const;

    SerialPortControl m_port;
    SerialLineReader m_reader;
    Stage m_stage = Stage::Idle;
    QString m_reply;
    // The trace's side, filled only when someone listened as the probe started.
    bool m_tracing = false;
    QDateTime m_startedAt;
    qint64 m_startedMs = 0;
    bool m_querySent = false;
};
