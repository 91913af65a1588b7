#pragma once

#include "instrument/DriverFamily.h"
#include "instrument/IDVM.h"
#include "instrument/Transport.h"

#include <memory>

class InstrumentContext;

/**
 * @brief The one driver implementation shared by the three families; the family data decides the
 * identity test, the description and how a device that will not open is reported.
 *
 * It holds one transport, made by the interface registry when connect() names an interface, and
 * lets one exchange run at a time: a second one, started while the first waits, is answered
 * "BUSY" at once.
 */
class InstrumentDriver : public IDVM
{
public:
    InstrumentDriver(const DriverFamily &family, InstrumentContext &context);
    /// A driver on a transport made by the caller (an instrument in memory for a test); it has no
    /// registry, so connect() only re-points that transport.
    InstrumentDriver(const DriverFamily &family, std::unique_ptr<Transport> transport, const Endpoint &endpoint);
    ~InstrumentDriver() override;

    const DriverFamily &family() const { return m_family; }

    ExchangeReply exchange(const ExchangeRequest &request) override;

    bool connect(const Endpoint &endpoint, QString *error = nullptr) override;
    Endpoint endpoint() const override { return m_endpoint; }
    void close() override;

    void Initialise() override;
    QString GetDescription() override;
    bool CheckIdentity(const QString &id) override;
    QString Identify() override;
    QString Read() override;
    int GetInterfaceType() override { return m_endpoint.interfaceType; }
    QVariant SetRange(const QString &Fn, double Value) override;

    /// The transport in use; null when the driver is not connected.
    Transport *transport() const { return m_transport.get(); }

    /// The command SetRange sends for a function and value ("" when it sends none).
    static QString rangeCommand(const QString &Fn, double Value);

    /// The identification query and the time Identify waits for its answer.
    static inline const QString kIdentifyCommand = QStringLiteral("*IDN?");
    static constexpr int kIdentifyTimeoutSeconds = 2;
    static ExchangeRequest identifyRequest() { return {kIdentifyCommand, true, kIdentifyTimeoutSeconds, 0}; }
    /// What Identify makes of a reply: an echo of the question is no answer ("").
    static QString identificationFrom(const QString &reply);

private:
    /// The route's words for failures, with the family's own rule for a device that will not open.
    FailureTexts failureTexts() const;

    const DriverFamily &m_family;
    InstrumentContext *m_context = nullptr;
    Endpoint m_endpoint;
    std::unique_ptr<Transport> m_transport;
    /// A transport replaced while an exchange still runs on it lives until that exchange returns.
    std::unique_ptr<Transport> m_retired;
    bool m_busy = false;
};
