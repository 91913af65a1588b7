#include "instrument/gpib/GpibTransport.h"

#include "instrument/InstrumentContext.h"
#include "instrument/Logging.h"
#include "instrument/gpib/GpibBusSearch.h"
#include "instrument/gpib/GpibExchange.h"
#include "platform/Gpib488.h"

GpibTransport::GpibTransport(InstrumentContext &context) : m_context(context) {}

bool GpibTransport::open(const Endpoint &endpoint, QString *error)
{
    const int address =
        endpoint.numberWithin(Gpib488::kFirstAddress, Gpib488::kLastAddress, QStringLiteral("GPIB addresses"), error);
    if (address < 0)
        return false;
    m_address = address;
    return true;
}

QList<Endpoint> GpibTransport::endpoints()
{
    QList<Endpoint> list;
    GpibBusSearch search(m_context.gpibBus());
    for (const GpibListener &listener : search.search())
        list << Endpoint::gpib(listener.address);
    return list;
}

QString GpibTransport::descriptionLine() const
{
    return QStringLiteral("GPIB Address %1").arg(m_address);
}

FailureTexts GpibTransport::failureTexts() const
{
    FailureTexts texts;
    texts.timedOut.clear();
    return texts;
}

ExchangeReply GpibTransport::exchange(const ExchangeRequest &request)
{
    // Each read waits as long as the handle's time-out (10 s), not the caller's.
    TransportState &state = m_context.state();
    state.abortComms = false;

    Gpib488 &gpib = m_context.gpibBus();
    if (!gpib.available() && !m_toldUnavailable) {
        m_toldUnavailable = true;
        qCWarning(lcInstrument).noquote() << "GPIB:" << gpib.reason();
    }

    GpibExchange exchange(gpib);
    exchange.onRead = [&state](const QByteArray &soFar) { state.showCommActivity(QString::fromLatin1(soFar)); };
    GpibExchange::Request gpibRequest;
    gpibRequest.address = m_address;
    gpibRequest.command = request.command.toLatin1();
    gpibRequest.timeoutCode = Gpib488::T10s;
    // A caller that does not wait gets the one line this route always reads; the others, with
    // end condition 1, the whole multi-line answer up to its status line.
    gpibRequest.gatherUntilStatus = request.awaitReply && request.endCondition == 1;
    QByteArray reply;
    switch (exchange.run(gpibRequest, &reply)) {
    case GpibExchange::Result::Answered:
        return ExchangeReply::answered(QString::fromLatin1(reply));
    case GpibExchange::Result::TimedOut:
        return ExchangeReply::ended(ExchangeOutcome::TimedOut);
    case GpibExchange::Result::NoBoard:
        return ExchangeReply::ended(ExchangeOutcome::NoBoard, gpib.reason());
    case GpibExchange::Result::NoListener:
    case GpibExchange::Result::Failed:
        return ExchangeReply::ended(ExchangeOutcome::LinkFailed);
    case GpibExchange::Result::Overflow:
        return ExchangeReply::ended(ExchangeOutcome::Overflow);
    }
    return ExchangeReply::ended(ExchangeOutcome::LinkFailed);
}
