#include "instrument/ethernet/BoundUdpSocket.h"

#include "instrument/Logging.h"

bool BoundUdpSocket::ensure()
{
    if (m_socket && m_socket->state() == QAbstractSocket::BoundState)
        return true;
    m_socket = std::make_unique<QUdpSocket>();
    if (!m_socket->bind(QHostAddress::AnyIPv4, 0)) {
        qCWarning(lcInstrument) << m_name << "socket:" << m_socket->errorString();
        m_socket.reset();
        return false;
    }
    QObject::connect(m_socket.get(), &QUdpSocket::readyRead, m_socket.get(), m_onReadyRead);
    return true;
}
