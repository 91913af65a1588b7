#include "locate/IdentifyProbe.h"

#include "instrument/InstrumentDriver.h"
#include "instrument/Logging.h"
#include "instrument/serial/SerialTransport.h"
#include "platform/Clock.h"

IdentifyProbe::IdentifyProbe(PortTable *table, int portNumber, QObject *parent)
    : QObject(parent), m_port(table), m_reader(&m_port)
{
    m_port.setPortNumber(portNumber);
    connect(&m_reader, &SerialLineReader::lineReceived, this, &IdentifyProbe::onLine);
    connect(&m_port, &SerialPortControl::failed, this, [this] { finish({}); });
}

IdentifyProbe::~IdentifyProbe()
{
    m_port.close();
}

void IdentifyProbe::start()
{
    if (m_stage != Stage::Idle)
        return;
    if (!m_port.open()) {
        finish({});
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
    qCDebug(lcInstrument).noquote() << QStringLiteral("COM%1").arg(portNumber()) << "send"
                                    << visibleWireText(wire);
    if (!m_port.write(wire)) {
        finish({});
        return;
    }
    Clock &clock = systemClock();
    clock.noteSent();
    clock.schedule(InstrumentDriver::kIdentifyTimeoutSeconds * 1000, this, [this] {
        if (m_stage == Stage::Waiting)
            finish({});
    });
}

void IdentifyProbe::onLine(const QString &line)
{
    // The first non-empty line is the whole answer, as with end condition 0.
    if (m_stage != Stage::Waiting || line.isEmpty())
        return;
    finish(InstrumentDriver::identificationFrom(line + QLatin1Char('\r')));
}

void IdentifyProbe::finish(const QString &reply)
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_reply = reply;
    m_port.close();
    emit finished();
}

void IdentifyProbe::cancel()
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_port.close();
}
