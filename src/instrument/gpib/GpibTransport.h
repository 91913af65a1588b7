#pragma once

#include <QString>
#include <memory>

class Gpib488;
class TransportState;

/**
 * @brief One command and its reply over GPIB: a device handle per command, write, read, offline.
 */
class GpibTransport
{
public:
    explicit GpibTransport(TransportState &state);
    ~GpibTransport();

    /// The bus in use; without one every exchange answers as "no board".
    void setBus(std::shared_ptr<Gpib488> bus);
    Gpib488 *bus() const { return m_bus.get(); }

    QString sendString(int address, const QString &command, bool waitForAck, int timeoutSeconds,
                       int packetEndCondition);

private:
    TransportState &m_state;
    std::shared_ptr<Gpib488> m_bus;
};
