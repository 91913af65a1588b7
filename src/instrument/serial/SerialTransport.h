#pragma once

#include <QByteArray>
#include <QString>

class SerialPortControl;
class TransportState;

/**
 * @brief One command and its reply over RS-232.
 *
 * A command is a line closed by CR. A reply is one or more CR-terminated lines; with end
 * condition 0 the first non-empty line is the whole reply, otherwise lines are gathered until one
 * contains "*" (the status line). Every data line restarts the time-out, so a long listing that
 * keeps coming is never cut off, while silence of `timeout` seconds gives "TIMEOUT".
 *
 * The wait is event-driven: it returns as soon as the line that ends the reply has arrived.
 */
class SerialTransport
{
public:
    explicit SerialTransport(TransportState &state);

    QString sendString(SerialPortControl *port, const QString &command, bool waitForAck,
                       int timeoutSeconds, int packetEndCondition);

    /// One line without CR and LF, or "" when none completed within timeoutMs (the partial
    /// line stays buffered for the next call).
    QString readLine(SerialPortControl *port, int timeoutMs, const QString &replySoFar = {});

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
    bool fillBuffer(SerialPortControl *port);

    TransportState &m_state;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_portFailed = false;
    bool m_overflow = false;
};
