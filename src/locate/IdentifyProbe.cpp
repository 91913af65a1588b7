#include "locate/IdentifyProbe.h"

#include "instrument/InstrumentDriver.h"
#include "instrument/Logging.h"
#include "instrument/TraceBus.h"
#include "instrument/serial/SerialTransport.h"
#include "platform/Clock.h"

IdentifyProbe::IdentifyProbe(PortTable *table, int portNumber, QObject *parent)
    : QObject(parent), m_port(table), m_reader(&m_port)
{
    m_port.setPortNumber(portNumber);
    connect(&m_reader, &SerialLineReader::lineReceived, this, &IdentifyProbe::onLine);
    connect(&m_port, &SerialPortControl::failed, this, [this] { finish(ExchangeOutcome::LinkFailed, {}); });
}

IdentifyProbe::~IdentifyProbe()
{
    m_port.close();
}

void IdentifyProbe::start()
{
    if (m_stage != Stage::Idle)
        return;
    // Asked once: a listener that joins halfway gets the next probe whole rather than half of this one.
    m_tracing = traceBus().isListened();
    if (m_tracing) {
        m_startedAt = systemClock().currentDateTime();
        m_startedMs = systemClock().nowMs();
    }
    if (!m_port.open()) {
        finish(ExchangeOutcome::OpenFailed, {});
        return;
    }
    m_stage = Stage::Settling;
    m_port.write(QByteArrayLiteral("\r"));
    systemClock().schedule(SerialTransport::kOpenSettleMs, this, [this] { sendQuery(); });
}

void IdentifyProbe::sendQuery()
{
    if (m_stage != Stage::Settling)
        return;
    // Whatever the instrument said before the query is not its answer.
    m_reader.discardPending();
    m_stage = Stage::Waiting;
    const QByteArray wire = InstrumentDriver::kIdentifyCommand.toLatin1() + '\r';
    qCDebug(lcInstrument).noquote() << QStringLiteral("COM%1").arg(portNumber()) << "send" << visibleWireText(wire);
    if (!m_port.write(wire)) {
        finish(ExchangeOutcome::LinkFailed, {});
        return;
    }
    m_querySent = true;
    Clock &clock = systemClock();
    clock.noteSent();
    clock.schedule(InstrumentDriver::kIdentifyTimeoutSeconds * 1000, this, [this] {
        if (m_stage == Stage::Waiting)
            finish(ExchangeOutcome::TimedOut, {});
    });
}

void IdentifyProbe::onLine(const QString &line)
{
    // The first non-empty line is the whole answer, as with end condition 0.
    if (m_stage != Stage::Waiting || line.isEmpty())
        return;
    finish(ExchangeOutcome::Answered, InstrumentDriver::identificationFrom(line + QLatin1Char('\r')), line);
}

void IdentifyProbe::finish(ExchangeOutcome outcome, const QString &reply, const QString &heard)
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_reply = reply;
    // The error is the port's until it is closed.
    if (m_tracing)
        publishTrace(outcome, heard);
    m_port.close();
    emit finished();
}

void IdentifyProbe::publishTrace(ExchangeOutcome outcome, const QString &heard) const
{
    TraceRecord record;
    record.start = m_startedAt;
    record.durationMs = systemClock().nowMs() - m_startedMs;
    record.interface = TraceWords::endpoint(Endpoint::serialPort(portNumber()), m_port.devicePath());
    // A query that never went out is shown without its line end, as the driver shows one.
    record.command = InstrumentDriver::kIdentifyCommand + (m_querySent ? QStringLiteral("\r") : QString());
    record.awaited = m_querySent;
    record.reply = heard;
    record.outcome = outcome;
    if (outcome == ExchangeOutcome::OpenFailed || outcome == ExchangeOutcome::LinkFailed)
        record.detail = m_port.errorString();
    traceBus().publish(record);
}

void IdentifyProbe::cancel()
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_port.close();
}
