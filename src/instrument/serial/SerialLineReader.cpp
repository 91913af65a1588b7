#include "instrument/serial/SerialLineReader.h"

#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/serial/SerialPortControl.h"
#include "instrument/serial/SerialTransport.h"

#include <QPointer>

SerialLineReader::SerialLineReader(SerialPortControl *port, QObject *parent)
    : QObject(parent), m_port(port)
{
    connect(port, &SerialPortControl::readyRead, this, &SerialLineReader::onReadyRead);
}

void SerialLineReader::discardPending()
{
    m_port->readAll();
    m_buffer.clear();
}

void SerialLineReader::onReadyRead()
{
    const QByteArray incoming = m_port->readAll();
    if (incoming.isEmpty())
        return;
    qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(incoming);
    m_buffer += incoming;
    // A peer that never ends its line must not grow the buffer without bound.
    if (m_buffer.size() > TransportState::kMaxReplyBytes)
        m_buffer.clear();
    // A receiver may close the port or delete this reader as soon as it has its line.
    const QPointer<SerialLineReader> alive(this);
    QString line;
    while (alive && SerialTransport::takeLine(m_buffer, line))
        emit lineReceived(line);
}
