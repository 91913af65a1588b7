#pragma once

#include <QUdpSocket>

#include <functional>
#include <memory>

/**
 * @brief The Ethernet sockets' one way of being made: bound to any local IPv4 address on a port
 * the system chooses, so senders read as plain IPv4 addresses comparable with the modules', and
 * each arrival handed to the owner.
 *
 * ensure() makes the socket on first use and again after it lost its binding; false, after a
 * warning naming the socket, when it will not bind.
 */
class BoundUdpSocket
{
public:
    BoundUdpSocket(const char *name, std::function<void()> onReadyRead)
        : m_name(name), m_onReadyRead(std::move(onReadyRead))
    {
    }

    bool ensure();
    void reset() { m_socket.reset(); }
    QUdpSocket *get() const { return m_socket.get(); }
    QUdpSocket *operator->() const { return m_socket.get(); }
    explicit operator bool() const { return m_socket != nullptr; }
    /// The local port; 0 before the socket was first made.
    quint16 localPort() const { return m_socket ? m_socket->localPort() : 0; }

private:
    const char *m_name;
    std::function<void()> m_onReadyRead;
    std::unique_ptr<QUdpSocket> m_socket;
};
