#include "instrument/gpib/GpibTransport.h"

#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/gpib/GpibExchange.h"
#include "instrument/gpib/GpibLibrary.h"

#include <QScopeGuard>

GpibTransport::GpibTransport(TransportState &state) : m_state(state) {}

GpibTransport::~GpibTransport() = default;

void GpibTransport::setBus(std::shared_ptr<Gpib488> bus)
{
    m_bus = std::move(bus);
    m_toldUnavailable = false;
}

Gpib488 *GpibTransport::bus()
{
    if (!m_bus)
        m_bus = GpibLibrary::system();
    return m_bus.get();
}

QString GpibTransport::sendString(int address, const QString &command, bool waitForAck,
                                  int timeoutSeconds, int packetEndCondition)
{
    // Each read waits as long as the handle's time-out (10 s), not the caller's.
    Q_UNUSED(timeoutSeconds);
    if (m_busy) {
        m_state.lastOutcome = ExchangeOutcome::Busy;
        return Reply::Busy;
    }
    m_busy = true;
    auto release = qScopeGuard([this] { m_busy = false; });
    m_state.abortComms = false;

    Gpib488 &gpib = *bus();
    if (!gpib.available() && !m_toldUnavailable) {
        m_toldUnavailable = true;
        qCWarning(lcInstrument).noquote() << "GPIB:" << gpib.reason();
    }

    GpibExchange exchange(gpib);
    exchange.onRead = [this](const QByteArray &soFar) { m_state.showCommActivity(QString::fromLatin1(soFar)); };
    GpibExchange::Request request;
    request.address = address;
    request.command = command.toLatin1();
    request.timeoutCode = Gpib488::T10s;
    // A caller that does not wait gets the one line this route always reads; the others, with
    // end condition 1, the whole multi-line answer up to its status line.
    request.gatherUntilStatus = waitForAck && packetEndCondition == 1;
    QByteArray reply;
    const GpibExchange::Result result = exchange.run(request, &reply);

    switch (result) {
    case GpibExchange::Result::Answered:
        m_state.lastOutcome = ExchangeOutcome::Answered;
        return QString::fromLatin1(reply);
    case GpibExchange::Result::TimedOut:
        m_state.lastOutcome = ExchangeOutcome::TimedOut;
        return {};
    case GpibExchange::Result::NoBoard:
        m_state.lastOutcome = ExchangeOutcome::NoInterface;
        return kNoBoard;
    case GpibExchange::Result::NoListener:
    case GpibExchange::Result::Failed:
        m_state.lastOutcome = ExchangeOutcome::PortFailed;
        return {};
    case GpibExchange::Result::Overflow:
        m_state.lastOutcome = ExchangeOutcome::Overflow;
        return Reply::Overflow;
    }
    return {};
}
