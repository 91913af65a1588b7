#include "instrument/usb/UsbTransport.h"

#include "instrument/InstrumentContext.h"
#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/usb/UsbBridgeAccess.h"
#include "platform/Clock.h"

#include <QScopeGuard>

namespace {

/// End condition 1: the first "*" is followed by a digit and then CR (the status line).
bool endsWithStatusLine(const QByteArray &reply)
{
    const qsizetype star = reply.indexOf('*');
    if (star < 0 || star + 2 >= reply.size())
        return false;
    const char digit = reply.at(star + 1);
    return digit >= '0' && digit <= '9' && reply.at(star + 2) == '\r';
}

} // namespace

struct UsbTransport::Gathered
{
    QByteArray reply;
    bool done = false;
    bool failed = false;
    bool overflow = false;
};

UsbTransport::UsbTransport(InstrumentContext &context) : m_usb(context.usb()) {}

UsbTransport::~UsbTransport()
{
    close();
}

bool UsbTransport::open(const Endpoint &endpoint, QString *error)
{
    Q_UNUSED(error);
    // Pointed at another bridge: the one held for this connection goes back to the system now.
    // An exchange running meanwhile keeps its bridge until it ends; the next one opens this one.
    if (endpoint.address != m_serialNumber)
        m_usb.releaseHeld(m_serialNumber);
    m_serialNumber = endpoint.address;
    return true;
}

void UsbTransport::close()
{
    // A bridge left open (the program ends in the middle of an exchange) cannot be opened by the
    // next start, and its system serial driver would stay detached.
    if (m_handle > 0)
        m_usb.closeDevice(m_handle);
    m_handle = 0;
    m_usb.releaseHeld(m_serialNumber);
}

QList<Endpoint> UsbTransport::endpoints()
{
    QList<Endpoint> list;
    const int count = m_usb.ListUSBDevices();
    for (int i = 0; i < count && i < m_usb.devices.size(); ++i)
        list << Endpoint::usb(m_usb.devices.at(i).SerialNumber, m_usb.devices.at(i).Name);
    return list;
}

FailureTexts UsbTransport::failureTexts() const
{
    FailureTexts texts;
    texts.openFailed = texts.timedOut;
    texts.linkFailed = texts.timedOut;
    return texts;
}

UsbTransport::Gathered UsbTransport::gather(int handle, int timeoutSeconds, int endCondition)
{
    Clock &clock = systemClock();
    UsbBridge &usb = *m_usb.bridge();
    const qint64 timeoutMs = qint64(timeoutSeconds) * 1000;
    const int step = m_usb.pollStepMs();
    qint64 deadline = clock.nowMs() + timeoutMs;
    Gathered got;
    // With no time allowed at all nothing is awaited.
    while (timeoutMs > 0) {
        const int waiting = usb.bytesWaiting(handle);
        if (waiting < 0) {
            got.failed = true;
            break;
        }
        if (waiting > 0) {
            const QByteArray chunk = usb.read(handle, waiting);
            qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(chunk);
            got.reply += chunk;
            deadline = clock.nowMs() + timeoutMs; // the time-out counts from the last chunk
            if (got.reply.size() > TransportState::kMaxReplyBytes) {
                got.overflow = true;
                break;
            }
            if (endCondition == 0)
                got.done = chunk.endsWith('\r') || chunk.endsWith('\n');
            else if (endCondition == 1)
                got.done = endsWithStatusLine(got.reply);
        }
        m_usb.state().showCommActivity(QString::fromLatin1(got.reply));
        if (got.done)
            break;
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            break;
        clock.waitUntil(qMin(deadline, now + step));
    }
    return got;
}

ExchangeReply UsbTransport::exchange(const ExchangeRequest &request)
{
    if (m_serialNumber.isEmpty())
        return ExchangeReply::ended(ExchangeOutcome::NotConnected);
    if (m_usb.exchangeRunning())
        return ExchangeReply::ended(ExchangeOutcome::Busy);
    m_usb.setExchangeRunning(true);
    auto done = qScopeGuard([this] { m_usb.setExchangeRunning(false); });
    TransportState &state = m_usb.state();

    // The bridge stays open from one exchange to the next (see UsbBridgeAccess). A held one that
    // went away meanwhile (unplugged, perhaps plugged in again) is opened afresh, once, so the
    // exchange fails as a bridge that will not open, or goes through, as with a fresh open.
    int handle = m_usb.holdOpen(m_serialNumber);
    if (handle > 0 && !m_usb.discardStaleInput(handle)) {
        m_usb.releaseHeld();
        handle = m_usb.holdOpen(m_serialNumber);
        if (handle > 0 && !m_usb.discardStaleInput(handle)) {
            m_usb.releaseHeld();
            return ExchangeReply::ended(ExchangeOutcome::LinkFailed);
        }
    }
    if (handle <= 0) {
        // A serial wait running meanwhile gives up too.
        state.abortComms = true;
        return ExchangeReply::ended(ExchangeOutcome::OpenFailed, m_usb.openError());
    }
    m_handle = handle;
    bool bridgeFailed = true;
    auto release = qScopeGuard([this, &bridgeFailed] {
        m_handle = 0;
        m_usb.exchangeEnded(bridgeFailed);
    });

    const bool written = m_usb.USBWrite(request.command + QLatin1Char('\r'), handle);
    state.paceBeforeSend();
    state.markSent();
    // Nothing went out, so no answer can come: do not wait for one.
    if (!written)
        return ExchangeReply::ended(ExchangeOutcome::LinkFailed);

    // A command sent without waiting still takes up to a second for an answer line to discard.
    const Gathered got = request.awaitReply ? gather(handle, request.timeoutSeconds, request.endCondition)
                                            : gather(handle, kUnacknowledgedSeconds, 0);
    // A flood is cut off with the bridge: reopening clears whatever the peer still sends.
    bridgeFailed = got.failed || got.overflow;
    ExchangeReply reply;
    reply.text = QString::fromLatin1(got.reply);
    if (got.overflow) {
        // A peer that never ends its answer is cut off rather than filling memory.
        reply.text.clear();
        reply.outcome = request.awaitReply ? ExchangeOutcome::Overflow : ExchangeOutcome::NotAwaited;
    } else if (got.done) {
        reply.outcome = request.awaitReply ? ExchangeOutcome::Answered : ExchangeOutcome::NotAwaited;
    } else {
        // The answer gathered so far stays in the text, for the test box that shows it.
        reply.outcome = got.failed ? ExchangeOutcome::LinkFailed : ExchangeOutcome::TimedOut;
    }
    if (!request.awaitReply)
        reply.text.clear();
    return reply;
}
