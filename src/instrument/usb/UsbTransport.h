#pragma once

#include "instrument/Transport.h"

class InstrumentContext;
class UsbBridgeAccess;

/**
 * @brief One command and its reply through a USB-serial bridge, addressed by its serial number:
 * take the bridge (opened by the first exchange and held open between them, see UsbBridgeAccess),
 * drop what waits in it, write the command with CR, gather the answer as it comes in chunks. A
 * bridge that fails during the exchange is closed at once; closing the transport or pointing it
 * at another bridge gives the held one back.
 *
 * With end condition 0 the reply ends at a chunk whose last byte is CR or LF, with 1 once the first
 * "*" is followed by a digit and CR. The time-out counts from the last chunk, so a long answer
 * that keeps coming is never cut off. The wait is event-driven on the process clock: it returns as
 * soon as the reply's end has arrived. A command sent without waiting still waits up to a second
 * for an answer line, which is thrown away; without one it counts as a time-out.
 *
 * The route reports every failure of its bridge as "TIMEOUT" in the reply texts.
 */
class UsbTransport : public Transport
{
public:
    /// On the context's bridge library.
    explicit UsbTransport(InstrumentContext &context);
    ~UsbTransport() override;

    /// Takes the bridge's serial number; an empty one is allowed (no device chosen), and every
    /// exchange then ends at once as not connected.
    bool open(const Endpoint &endpoint, QString *error = nullptr) override;
    void close() override;
    ExchangeReply exchange(const ExchangeRequest &request) override;
    /// The bridges the library lists now.
    QList<Endpoint> endpoints() override;
    QString descriptionLine() const override { return QStringLiteral("USB \r\n"); }
    FailureTexts failureTexts() const override;

    /// The time a command sent without waiting still waits for its answer line.
    static constexpr int kUnacknowledgedSeconds = 1;

private:
    struct Gathered;
    Gathered gather(int handle, int timeoutSeconds, int endCondition);

    UsbBridgeAccess &m_usb;
    QString m_serialNumber;
    int m_handle = 0;
};
