#pragma once

#include "instrument/Transport.h"

#include <QByteArray>
#include <QString>

class InstrumentContext;
class SerialPortControl;
class TransportState;

/**
 * @brief One command and its reply over RS-232, through the program's serial port control.
 *
 * A command is a line closed by CR. A reply is one or more CR-terminated lines; with end
 * condition 0 the first non-empty line is the whole reply, otherwise lines are gathered until one
 * contains "*" (the status line). Every data line restarts the time-out, so a long listing that
 * keeps coming is never cut off, while silence of `timeout` seconds is a time-out.
 *
 * The port opens at the first exchange that needs it (with a lone CR, so the instrument drops any
 * partial line) and stays open until closed. The wait is event-driven: it returns as soon as the
 * line that ends the reply has arrived.
 */
class SerialTransport : public Transport
{
public:
    /// port is the serial port control the endpoints' numbers are set on (DVM1Comm).
    SerialTransport(TransportState &state, SerialPortControl *port);
    /// On the context's serial port control.
    explicit SerialTransport(InstrumentContext &context);

    /// Sets the control to the endpoint's port number (1 to 16).
    bool open(const Endpoint &endpoint, QString *error = nullptr) override;
    /// Closes the port ("Close Comm Port"); the next exchange opens it again.
    void close() override;
    ExchangeReply exchange(const ExchangeRequest &request) override;
    /// The port numbers bound to devices.
    QList<Endpoint> endpoints() override;
    /// "RS232 Port " and the control's port number (0 before an endpoint was opened).
    QString descriptionLine() const override;

    /// One line without CR and LF, or "" when none completed within timeoutMs (the partial
    /// line stays buffered for the next call).
    QString readLine(int timeoutMs, const QString &replySoFar = {});

    /// Text received and not yet taken as lines.
    const QByteArray &buffer() const { return m_buffer; }

    /// Takes the first CR-terminated line out of buffer: blanks trimmed from both ends of the line
    /// with its CR (so blanks just before the CR stay), then every CR and LF removed. False, with
    /// buffer untouched, when no CR has arrived yet.
    static bool takeLine(QByteArray &buffer, QString &line);

    /// Time a line wait allows before the exchange looks at its own time-out again.
    static constexpr int kLineWaitMs = 2000;
    /// Pause after opening the port and sending a lone CR, so the instrument drops any partial line.
    static constexpr int kOpenSettleMs = 200;

private:
    bool fillBuffer();
    /// Opens the port when it is closed; false when it will not open.
    bool ensureOpen();
    ExchangeReply portFailure(ExchangeOutcome outcome) const;

    TransportState &m_state;
    SerialPortControl *m_port;
    bool m_opened = false;
    QByteArray m_buffer;
    bool m_portFailed = false;
    bool m_overflow = false;
};
