#include "instrument/serial/SerialTransport.h"

#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Clock.h"

#include <QScopeGuard>

namespace {

// The instrument's blanks are spaces; tabs and other characters are kept.
QByteArray trimBlanks(const QByteArray &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == ' ')
        ++start;
    while (end > start && text.at(end - 1) == ' ')
        --end;
    return text.mid(start, end - start);
}

} // namespace

SerialTransport::SerialTransport(TransportState &state) : m_state(state) {}

bool SerialTransport::fillBuffer(SerialPortControl *port)
{
    const QByteArray incoming = port->readAll();
    if (!incoming.isEmpty()) {
        qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(incoming);
        m_buffer += incoming;
    }
    if (m_buffer.size() > TransportState::kMaxReplyBytes) {
        m_buffer.clear();
        m_overflow = true;
        return false;
    }
    return true;
}

QString SerialTransport::readLine(SerialPortControl *port, int timeoutMs, const QString &replySoFar)
{
    Clock &clock = systemClock();
    const qint64 deadline = clock.nowMs() + timeoutMs;
    fillBuffer(port);
    while (!m_buffer.contains('\r')) {
        if (m_state.abortComms || m_portFailed || m_overflow || !port->isOpen())
            return {};
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            break;
        clock.waitUntil(qMin(deadline, now + TransportState::kActivityStepMs));
        m_state.showCommActivity(replySoFar);
        if (!fillBuffer(port))
            return {};
        if (m_state.abortComms)
            return {};
    }
    QString line;
    takeLine(m_buffer, line);
    return line;
}

bool SerialTransport::takeLine(QByteArray &buffer, QString &line)
{
    const qsizetype cr = buffer.indexOf('\r');
    if (cr < 0)
        return false;
    QByteArray text = trimBlanks(buffer.left(cr + 1));
    buffer.remove(0, cr + 1);
    text.replace('\r', QByteArray()).replace('\n', QByteArray());
    line = QString::fromLatin1(text);
    return true;
}

QString SerialTransport::sendString(SerialPortControl *port, const QString &command, bool waitForAck,
                                    int timeoutSeconds, int packetEndCondition)
{
    if (!port) {
        m_state.lastOutcome = ExchangeOutcome::NoInterface;
        return {};
    }
    // A second exchange would share and corrupt the receive buffer.
    if (m_busy) {
        m_state.lastOutcome = ExchangeOutcome::Busy;
        return Reply::Busy;
    }
    m_busy = true;
    auto release = qScopeGuard([this] { m_busy = false; });
    Clock &clock = systemClock();

    if (!port->isOpen()) {
        if (port->open()) {
            // A lone CR makes the instrument drop any partial line it holds.
            qCDebug(lcInstrument).noquote() << "send" << visibleWireText(QByteArrayLiteral("\r"));
            port->write(QByteArrayLiteral("\r"));
            clock.pause(kOpenSettleMs);
        }
        if (!port->isOpen()) {
            m_state.lastOutcome = ExchangeOutcome::PortFailed;
            return {};
        }
    }

    m_state.paceBeforeSend();

    // Whatever an abandoned exchange left behind is not this command's answer.
    port->readAll();
    m_buffer.clear();
    m_state.abortComms = false;
    m_portFailed = false;
    m_overflow = false;

    const QMetaObject::Connection wakeOnData =
        QObject::connect(port, &SerialPortControl::readyRead, [&clock] { clock.wake(); });
    const QMetaObject::Connection wakeOnFailure =
        QObject::connect(port, &SerialPortControl::failed, [this, &clock] {
            m_portFailed = true;
            clock.wake();
        });
    auto disconnect = qScopeGuard([&] {
        QObject::disconnect(wakeOnData);
        QObject::disconnect(wakeOnFailure);
    });

    const QByteArray wire = command.toLatin1() + '\r';
    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(wire);
    const bool written = port->write(wire);
    m_state.markSent();
    if (!written) {
        m_state.lastOutcome = ExchangeOutcome::PortFailed;
        return {};
    }

    if (!waitForAck) {
        m_state.lastOutcome = ExchangeOutcome::NotAwaited;
        return {};
    }

    const qint64 timeoutMs = qint64(qMax(0, timeoutSeconds)) * 1000;
    qint64 deadline = clock.nowMs() + timeoutMs;
    QString reply;
    bool done = false;
    for (;;) {
        if (m_portFailed || !port->isOpen()) {
            m_state.lastOutcome = ExchangeOutcome::PortFailed;
            return {};
        }
        if (m_overflow || reply.size() > TransportState::kMaxReplyBytes) {
            m_state.lastOutcome = ExchangeOutcome::Overflow;
            return Reply::Overflow;
        }
        const qint64 now = clock.nowMs();
        if (done)
            break;
        if (now >= deadline) {
            m_state.lastOutcome = ExchangeOutcome::TimedOut;
            return Reply::Timeout;
        }
        if (m_state.abortComms) {
            // Another transport gave up on its device: line waits end at once, and this exchange
            // runs out its own time without taking lines.
            clock.waitUntil(qMin(deadline, now + TransportState::kActivityStepMs));
            m_state.showCommActivity(reply);
            continue;
        }
        const QString line = readLine(port, int(qMin<qint64>(kLineWaitMs, deadline - now)), reply);
        m_state.showCommActivity(reply);
        if (line.isEmpty())
            continue;
        reply += line + QLatin1Char('\r');
        if (line.contains(QLatin1Char('*')) || packetEndCondition == 0)
            done = true;
        else
            deadline = clock.nowMs() + timeoutMs; // every data line restarts the time-out
    }
    m_state.lastOutcome = ExchangeOutcome::Answered;
    return reply;
}
