#include "instrument/serial/SerialTransport.h"

#include "instrument/InstrumentContext.h"
#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/serial/PortTable.h"
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

SerialTransport::SerialTransport(TransportState &state, SerialPortControl *port) : m_state(state), m_port(port) {}

SerialTransport::SerialTransport(InstrumentContext &context) : SerialTransport(context.state(), context.dvm1Comm()) {}

bool SerialTransport::open(const Endpoint &endpoint, QString *error)
{
    const int number = endpoint.numberWithin(PortTable::kFirstPort, PortTable::kLastPort,
                                             QStringLiteral("RS-232 port numbers"), error);
    if (number < 0)
        return false;
    m_port->setPortNumber(number);
    m_opened = true;
    return true;
}

void SerialTransport::close()
{
    m_port->close();
}

QList<Endpoint> SerialTransport::endpoints()
{
    QList<Endpoint> list;
    if (PortTable *table = m_port->portTable()) {
        for (int number : table->numbers())
            list << Endpoint::serialPort(number);
    }
    return list;
}

QString SerialTransport::descriptionLine() const
{
    return QStringLiteral("RS232 Port %1").arg(m_opened ? m_port->portNumber() : 0);
}

bool SerialTransport::fillBuffer()
{
    const QByteArray incoming = m_port->readAll();
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

QString SerialTransport::readLine(int timeoutMs, const QString &replySoFar)
{
    Clock &clock = systemClock();
    const qint64 deadline = clock.nowMs() + timeoutMs;
    fillBuffer();
    while (!m_buffer.contains('\r')) {
        if (m_state.abortComms || m_portFailed || m_overflow || !m_port->isOpen())
            return {};
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            break;
        clock.waitUntil(qMin(deadline, now + TransportState::kActivityStepMs));
        m_state.showCommActivity(replySoFar);
        if (!fillBuffer())
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

bool SerialTransport::ensureOpen()
{
    if (m_port->isOpen())
        return true;
    if (m_port->open()) {
        // A lone CR makes the instrument drop any partial line it holds.
        qCDebug(lcInstrument).noquote() << "send" << visibleWireText(QByteArrayLiteral("\r"));
        m_port->write(QByteArrayLiteral("\r"));
        systemClock().pause(kOpenSettleMs);
    }
    return m_port->isOpen();
}

ExchangeReply SerialTransport::portFailure(ExchangeOutcome outcome) const
{
    return ExchangeReply::ended(outcome, m_port->errorString());
}

ExchangeReply SerialTransport::exchange(const ExchangeRequest &request)
{
    if (!m_opened)
        return ExchangeReply::ended(ExchangeOutcome::NotConnected);
    if (!ensureOpen())
        return portFailure(ExchangeOutcome::OpenFailed);
    Clock &clock = systemClock();

    m_state.paceBeforeSend();

    // Whatever an abandoned exchange left behind is not this command's answer.
    m_port->readAll();
    m_buffer.clear();
    m_state.abortComms = false;
    m_portFailed = false;
    m_overflow = false;

    const QMetaObject::Connection wakeOnData =
        QObject::connect(m_port, &SerialPortControl::readyRead, [&clock] { clock.wake(); });
    const QMetaObject::Connection wakeOnFailure = QObject::connect(m_port, &SerialPortControl::failed, [this, &clock] {
        m_portFailed = true;
        clock.wake();
    });
    auto disconnect = qScopeGuard([&] {
        QObject::disconnect(wakeOnData);
        QObject::disconnect(wakeOnFailure);
    });

    const QByteArray wire = request.command.toLatin1() + '\r';
    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(wire);
    const bool written = m_port->write(wire);
    m_state.markSent();
    if (!written)
        return portFailure(ExchangeOutcome::LinkFailed);
    if (!request.awaitReply)
        return ExchangeReply::ended(ExchangeOutcome::NotAwaited);

    const qint64 timeoutMs = qint64(qMax(0, request.timeoutSeconds)) * 1000;
    qint64 deadline = clock.nowMs() + timeoutMs;
    QString reply;
    for (;;) {
        if (m_portFailed || !m_port->isOpen())
            return portFailure(ExchangeOutcome::LinkFailed);
        if (m_overflow || reply.size() > TransportState::kMaxReplyBytes)
            return ExchangeReply::ended(ExchangeOutcome::Overflow);
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            return ExchangeReply::ended(ExchangeOutcome::TimedOut);
        if (m_state.abortComms) {
            // Another transport gave up on its device: line waits end at once, and this exchange
            // runs out its own time without taking lines.
            clock.waitUntil(qMin(deadline, now + TransportState::kActivityStepMs));
            m_state.showCommActivity(reply);
            continue;
        }
        const QString line = readLine(int(qMin<qint64>(kLineWaitMs, deadline - now)), reply);
        m_state.showCommActivity(reply);
        if (line.isEmpty())
            continue;
        reply += line + QLatin1Char('\r');
        if (line.contains(QLatin1Char('*')) || request.endCondition == 0)
            return ExchangeReply::answered(reply);
        deadline = clock.nowMs() + timeoutMs; // every data line restarts the time-out
    }
}
