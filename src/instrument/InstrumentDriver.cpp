#include "instrument/InstrumentDriver.h"

#include "instrument/InstrumentContext.h"
#include "instrument/NumberFormat.h"
#include "instrument/TraceBus.h"
#include "platform/Clock.h"

#include <QScopeGuard>

namespace {

constexpr int kSetRangeTimeoutSeconds = 10;
constexpr int kSetRangeSettleMs = 100;
constexpr int kInitialiseMs = 250;

/// The endpoint in the trace's words, with the serial port's device where the port table binds one.
QString traceInterface(InstrumentContext *context, const Endpoint &endpoint)
{
    QString devicePath;
    if (context && endpoint.interfaceType == InterfaceRS232 && endpoint.number() >= 0)
        devicePath = context->portTable().devicePath(endpoint.number());
    return TraceWords::endpoint(endpoint, devicePath);
}

/// What the route puts after a command on the line: GPIB ends a message with EOI, the others
/// with CR.
QString commandEnd(int interfaceType)
{
    return interfaceType == InterfaceGPIB ? QString() : QStringLiteral("\r");
}

void traceConnection(InstrumentContext *context, const Endpoint &endpoint, TraceRecord::Kind kind,
                     ExchangeOutcome outcome, const QString &detail)
{
    if (!traceBus().isListened())
        return;
    TraceRecord record;
    record.kind = kind;
    record.start = systemClock().currentDateTime();
    record.interface = traceInterface(context, endpoint);
    record.outcome = outcome;
    record.detail = detail;
    traceBus().publish(record);
}

} // namespace

InstrumentDriver::InstrumentDriver(const DriverFamily &family, InstrumentContext &context)
    : m_family(family), m_context(&context)
{
}

InstrumentDriver::InstrumentDriver(const DriverFamily &family, std::unique_ptr<Transport> transport,
                                   const Endpoint &endpoint)
    : m_family(family), m_endpoint(endpoint), m_transport(std::move(transport))
{
}

InstrumentDriver::~InstrumentDriver() = default;

FailureTexts InstrumentDriver::failureTexts() const
{
    FailureTexts texts = m_transport ? m_transport->failureTexts() : FailureTexts();
    if (!m_family.openFailureIsTimeout)
        texts.openFailed.clear();
    return texts;
}

ExchangeReply InstrumentDriver::exchange(const ExchangeRequest &request)
{
    // Nothing of the trace is made while nobody listens: one atomic read per exchange.
    const bool tracing = traceBus().isListened();
    Clock &clock = systemClock();
    TraceRecord record;
    qint64 startMs = 0;
    if (tracing) {
        record.start = clock.currentDateTime();
        record.awaited = request.awaitReply;
        startMs = clock.nowMs();
    }

    // A second exchange while one waits would share the transport's receive buffer: refuse it.
    if (m_busy || !m_transport) {
        const ExchangeReply refused =
            ExchangeReply::ended(m_busy ? ExchangeOutcome::Busy : ExchangeOutcome::NotConnected);
        if (m_context)
            m_context->exchangeFinished(request, refused);
        if (tracing) {
            // Nothing went on the line: the command is shown without the line end.
            record.command = request.command;
            record.awaited = false;
            record.outcome = refused.outcome;
            record.interface = traceInterface(m_context, m_endpoint);
            traceBus().publish(record);
        }
        return refused;
    }
    Transport *transport = m_transport.get();
    m_busy = true;
    auto release = qScopeGuard([this] {
        m_busy = false;
        m_retired.reset();
    });

    // A line break inside a command would smuggle a second command onto the line.
    ExchangeRequest clean = request;
    clean.command.remove(QLatin1Char('\r'));
    clean.command.remove(QLatin1Char('\n'));
    ExchangeReply reply = transport->exchange(clean);
    reply.spelling = failureTexts();
    if (m_context)
        m_context->exchangeFinished(clean, reply);
    if (tracing) {
        record.durationMs = clock.nowMs() - startMs;
        record.command = clean.command + commandEnd(m_endpoint.interfaceType);
        record.reply = reply.text;
        record.outcome = reply.outcome;
        record.detail = reply.detail;
        record.interface = traceInterface(m_context, m_endpoint);
        traceBus().publish(record);
        if (reply.outcome == ExchangeOutcome::LinkFailed)
            traceConnection(m_context, m_endpoint, TraceRecord::Kind::Lost, reply.outcome, reply.detail);
    }
    return reply;
}

bool InstrumentDriver::connect(const Endpoint &endpoint, QString *error)
{
    const bool sameInterface = m_transport && endpoint.interfaceType == m_endpoint.interfaceType;
    m_endpoint = endpoint;
    if (!sameInterface && m_context) {
        // An exchange waiting on the old transport keeps it until it returns.
        if (m_busy)
            m_retired = std::move(m_transport);
        m_transport = m_context->makeTransport(endpoint.interfaceType);
        if (!m_transport) {
            if (error)
                *error = QStringLiteral("no transport for interface %1").arg(endpoint.interfaceType);
            traceConnection(m_context, endpoint, TraceRecord::Kind::Opened, ExchangeOutcome::NotConnected,
                            QStringLiteral("no transport for interface %1").arg(endpoint.interfaceType));
            return false;
        }
    }
    if (!m_transport)
        return false;
    QString why;
    const bool opened = m_transport->open(endpoint, &why);
    if (!opened && error)
        *error = why;
    traceConnection(m_context, endpoint, TraceRecord::Kind::Opened,
                    opened ? ExchangeOutcome::Answered : ExchangeOutcome::OpenFailed, why);
    return opened;
}

void InstrumentDriver::close()
{
    if (m_transport) {
        m_transport->close();
        traceConnection(m_context, m_endpoint, TraceRecord::Kind::Closed, ExchangeOutcome::Answered, {});
    }
}

void InstrumentDriver::Initialise()
{
    systemClock().pause(kInitialiseMs);
}

QString InstrumentDriver::GetDescription()
{
    // A driver not yet pointed anywhere stands on RS-232 without a port.
    return m_family.description + QLatin1String("\r\n")
        + (m_transport ? m_transport->descriptionLine() : QStringLiteral("RS232 Port 0"));
}

bool InstrumentDriver::CheckIdentity(const QString &id)
{
    if (!id.contains(kMakerName))
        return false;
    for (const QString &model : m_family.identityModels) {
        if (id.contains(model))
            return true;
    }
    return false;
}

QString InstrumentDriver::Identify()
{
    return identificationFrom(exchange(identifyRequest()).conventionalText());
}

QString InstrumentDriver::identificationFrom(const QString &reply)
{
    // An echo of the question is no answer.
    if (reply.contains(kIdentifyCommand))
        return {};
    return reply;
}

QString InstrumentDriver::Read()
{
    // A reading is one line without a status line: gathering up to a status line would wait out
    // the GPIB library's time-out after every reading. The raw reply comes back, LF and all.
    const int timeout = m_transport ? m_transport->readingTimeoutSeconds() : Transport::kReadingTimeoutSeconds;
    return exchange({QStringLiteral("READ?"), true, timeout, 0}).conventionalText();
}

QString InstrumentDriver::rangeCommand(const QString &Fn, double Value)
{
    const QString fn = Fn.toUpper();
    const QString general = formatGeneralNumber(Value);
    if (fn == QLatin1String("DCV"))
        return QStringLiteral("CONF:VOLTAGE:DC ") + general;
    if (fn == QLatin1String("DCI"))
        return QStringLiteral("CONF:CURRENT:DC ") + (Value <= 1E-6 ? formatScientificNumber(Value) : general);
    if (fn == QLatin1String("ACV"))
        return QStringLiteral("CONF:VOLTAGE:AC ") + general;
    if (fn == QLatin1String("ACI"))
        return QStringLiteral("CONF:CURRENT:AC ") + general;
    if (fn == QLatin1String("RES"))
        return QStringLiteral("CONF:RES ") + general;
    if (fn == QLatin1String("FRES"))
        return QStringLiteral("CONF:FRES ") + general;
    if (fn == QLatin1String("FREQ"))
        return QStringLiteral("CONF:FREQ ") + general;
    if (fn == QLatin1String("PRT")) {
        if (Value <= 500)
            return QStringLiteral("R60");
        if (Value < 5000)
            return QStringLiteral("R61");
        return QStringLiteral("R62");
    }
    if (fn == QLatin1String("THERMOCOUPLE"))
        return QStringLiteral("R64");
    return {};
}

QVariant InstrumentDriver::SetRange(const QString &Fn, double Value)
{
    Clock &clock = systemClock();
    clock.pause(kSetRangeSettleMs);
    const QString command = rangeCommand(Fn, Value);
    if (!command.isEmpty())
        exchange({command, false, kSetRangeTimeoutSeconds, 1});
    clock.pause(kSetRangeSettleMs);
    return {};
}

std::unique_ptr<IDVM> CreateDVM(const QString &model, InstrumentContext &context)
{
    if (model.contains(QLatin1String("6400")))
        return std::make_unique<InstrumentDriver>(DVM_6481, context);
    if (model.contains(QLatin1String("5600")))
        return std::make_unique<InstrumentDriver>(DVM_CAL_5600, context);
    if (model.contains(QLatin1String("5200")))
        return std::make_unique<InstrumentDriver>(DVM_CAL_5200, context);
    return std::make_unique<InstrumentDriver>(DVM_6481, context);
}
