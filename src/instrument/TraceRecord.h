#pragma once

#include "instrument/Endpoint.h"
#include "instrument/Exchange.h"
#include "platform/TraceLine.h"

#include <QDateTime>
#include <QList>
#include <QString>

/**
 * @brief What happened at the transport seam: one exchange (the command, the reply, how it
 * ended) or one connection event (pointed at an endpoint, let go, lost).
 *
 * Made by the driver for every interface alike, and only while someone listens (TraceBus), so a
 * program that traces nothing formats nothing. The texts are kept as they went on the line; the
 * lines() form makes them visible.
 */
struct TraceRecord
{
    enum class Kind {
        Exchange,
        Opened,
        Closed,
        Lost
    };

    Kind kind = Kind::Exchange;
    QDateTime start; ///< wall clock of the process clock, so tests see their own times
    qint64 durationMs = 0;
    QString interface;    ///< the endpoint in words: "COM1 /dev/ttyUSB0", "GPIB0::22", ...
    QString command;      ///< as it went on the line, with the CR the transports add
    bool awaited = false; ///< whether a reply was waited for
    QString reply;        ///< what came back, lines joined by CR; may be partial after a failure
    ExchangeOutcome outcome = ExchangeOutcome::Answered;
    QString detail; ///< why a connection event or a failure happened, when known

    /// The record as the trace shows it: "send" and (when a reply was awaited) "recv" for an
    /// exchange; one "open", "close" or "lost" line for a connection event.
    QList<TraceLine> lines() const;
    /// True when the exchange gave no usable answer, or the instrument refused the command
    /// ("*" and a digit other than 0), or a connection failed or was lost.
    bool failed() const;
};

namespace TraceWords {

/// The outcome in a word or two: "answered", "written", "time-out", "busy", "overflow",
/// "refused *3" (an answer ending in an instrument refusal), "not connected", ...
QString outcome(ExchangeOutcome outcome, const QString &reply = {});
/// The refusal code ("*3") a reply ends with, or "" when it ends in "*0" or has none.
QString refusal(const QString &reply);
/// The endpoint in words: "COM1 /dev/serial/by-id/...", "GPIB0::22", "USB QVSIM001",
/// "ETH 192.168.0.20:10001". devicePath is the serial port's device, when known.
QString endpoint(const Endpoint &endpoint, const QString &devicePath = {});

} // namespace TraceWords
