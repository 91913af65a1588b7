#include "instrument/usb/UsbTransport.h"

#include "instrument/Logging.h"
#include "instrument/Reply.h"
#include "instrument/TransportState.h"
#include "instrument/usb/SystemUsbBridge.h"
#include "platform/Clock.h"
#include "platform/Settings.h"

#include <QScopeGuard>

namespace {

/// A fixed-size text field of the library: at most 256 characters, cut at the first NUL.
QString fixedField(const QByteArray &raw)
{
    QByteArray field = raw.left(UsbTransport::kStringFieldLength);
    const qsizetype nul = field.indexOf('\0');
    if (nul >= 0)
        field.truncate(nul);
    return QString::fromLatin1(field);
}

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

UsbTransport::UsbTransport(TransportState &state, UsbDeviceRecord &device) : device(device), m_state(state) {}

UsbTransport::~UsbTransport() = default;

void UsbTransport::setBridge(std::shared_ptr<UsbBridge> bridge)
{
    m_bridge = std::move(bridge);
}

UsbBridge *UsbTransport::bridge()
{
    // Made on first use, so a program that never touches USB never starts the USB library.
    if (!m_bridge)
        m_bridge = createSystemUsbBridge();
    return m_bridge.get();
}

UsbBridge::LineSettings UsbTransport::lineSettings()
{
    UsbBridge::LineSettings settings;
    settings.baudRate = 9600;
    settings.dataBits = 8;
    settings.stopBits = 1;
    settings.parity = 'N';
    settings.flowControl = false;
    settings.readTimeoutMs = kReadTimeoutMs;
    settings.writeTimeoutMs = 0;
    return settings;
}

int UsbTransport::ListUSBDevices()
{
    QList<UsbBridge::DeviceStrings> found;
    UsbBridge &usb = *bridge();
    if (!usb.listDevices(found)) {
        m_listingError = usb.lastError();
        m_listingErrorKind = usb.lastErrorKind();
        return 0;
    }
    m_listingError.clear();
    m_listingErrorKind = UsbBridge::ErrorKind::None;
    if (found.isEmpty())
        return 0;
    devices.clear();
    for (const UsbBridge::DeviceStrings &strings : std::as_const(found)) {
        UsbDeviceRecord record;
        record.Name = fixedField(strings.description);
        record.SerialNumber = fixedField(strings.serialNumber);
        devices.append(record);
    }
    return int(devices.size());
}

int UsbTransport::countDevices()
{
    for (int attempt = 1;; ++attempt) {
        const int count = ListUSBDevices();
        // A bridge is sometimes not listed in the first moments after it was plugged in; but
        // asking again cannot help when USB itself is out of reach.
        if (count > 0 || attempt == kListAttempts || noUsbAccess())
            return count;
        systemClock().pause(kListRetryPauseMs);
    }
}

bool UsbTransport::noUsbAccess() const
{
    return m_listingErrorKind == UsbBridge::ErrorKind::NoAccess
           || m_listingErrorKind == UsbBridge::ErrorKind::Unavailable;
}

bool UsbTransport::OpenUSBDevice(const QString &serialNumber, int &handle)
{
    if (serialNumber.isEmpty()) {
        m_openError = QStringLiteral("No USB device has been selected");
        return false;
    }
    UsbBridge &usb = *bridge();
    handle = usb.open(serialNumber, lineSettings());
    if (handle <= 0) {
        m_openError = usb.lastError();
        qCDebug(lcInstrument).noquote() << "usb open" << serialNumber << "failed:" << m_openError;
        handle = 0;
        return false;
    }
    m_openError.clear();
    return true;
}

bool UsbTransport::USBWrite(const QString &text, int handle)
{
    const QByteArray bytes = text.toLatin1();
    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(bytes);
    return bridge()->write(handle, bytes);
}

int UsbTransport::bytesWaiting(int handle)
{
    return bridge()->bytesWaiting(handle);
}

QString UsbTransport::USBRead(int handle)
{
    const int waiting = bytesWaiting(handle);
    if (waiting <= 0)
        return {};
    const QByteArray bytes = bridge()->read(handle, waiting);
    qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(bytes);
    return QString::fromLatin1(bytes);
}

int UsbTransport::waitForBytes(int handle, int timeoutMs)
{
    Clock &clock = systemClock();
    UsbBridge &usb = *bridge();
    const int step = qBound(1, usb.pollIntervalMs(), TransportState::kActivityStepMs);
    const qint64 deadline = clock.nowMs() + timeoutMs;
    for (;;) {
        const int waiting = usb.bytesWaiting(handle);
        if (waiting != 0)
            return waiting;
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            return 0;
        clock.waitUntil(qMin(deadline, now + step));
    }
}

QString UsbTransport::USBReadReply(int handle)
{
    QByteArray text;
    while (text.size() < kMaxReplyLineChars) {
        if (waitForBytes(handle, kReadTimeoutMs) <= 0)
            return {}; // a silent read or a library error
        const QByteArray byte = bridge()->read(handle, 1);
        if (byte.isEmpty())
            return {};
        text += byte;
        if (byte == "\r" || byte == "\n")
            break;
    }
    qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(text);
    return QString::fromLatin1(text);
}

void UsbTransport::discardStaleInput(int handle)
{
    // The bridge's chip keeps what the instrument sent while no one listened: the late answer to
    // an exchange that gave up. Taken as this command's answer it could pass a late "*0" off as
    // acceptance, so it goes, as the serial and Ethernet routes throw away what waits before a
    // command. Bounded, so a device that never stops talking cannot hold the exchange here.
    UsbBridge &usb = *bridge();
    qint64 discarded = 0;
    while (discarded <= TransportState::kMaxReplyBytes) {
        const int waiting = usb.bytesWaiting(handle);
        if (waiting <= 0)
            break;
        const QByteArray stale = usb.read(handle, waiting);
        if (stale.isEmpty())
            break;
        qCDebug(lcInstrument).noquote() << "discard" << visibleWireText(stale);
        discarded += stale.size();
    }
}

void UsbTransport::closeDevice(int handle)
{
    if (handle > 0)
        bridge()->close(handle);
}

QString UsbTransport::USBSendString(const QString &Commandstring, int &status, int timeout,
                                    int PacketEndCondition)
{
    if (device.SerialNumber.isEmpty()) {
        m_state.lastOutcome = ExchangeOutcome::NoInterface;
        return {};
    }
    // Two exchanges at once would open the bridge twice; the second would fail for no reason the
    // user could see.
    if (m_busy) {
        m_state.lastOutcome = ExchangeOutcome::Busy;
        return Reply::Busy;
    }
    m_busy = true;
    device.InUse = true;
    auto release = qScopeGuard([this] {
        device.InUse = false;
        m_busy = false;
    });

    int handle = 0;
    if (!OpenUSBDevice(device.SerialNumber, handle)) {
        status = OpenFailed;
        // A serial wait running meanwhile gives up too.
        m_state.abortComms = true;
        m_state.lastOutcome = ExchangeOutcome::PortFailed;
        return {};
    }
    device.Handle = handle;
    auto close = qScopeGuard([this, handle] {
        closeDevice(handle);
        device.Handle = 0;
    });

    UsbBridge &usb = *bridge();
    discardStaleInput(handle);
    const bool written = USBWrite(Commandstring + QLatin1Char('\r'), handle);
    m_state.paceBeforeSend();
    m_state.markSent();
    if (!written) {
        // Nothing went out, so no answer can come: do not wait for one.
        status = TimedOut;
        m_state.lastOutcome = ExchangeOutcome::PortFailed;
        return {};
    }

    Clock &clock = systemClock();
    const qint64 timeoutMs = qint64(timeout) * 1000;
    const int step = qBound(1, usb.pollIntervalMs(), TransportState::kActivityStepMs);
    qint64 deadline = clock.nowMs() + timeoutMs;
    QByteArray reply;
    bool done = false;
    bool failed = false;
    bool overflow = false;
    // With no time allowed at all nothing is awaited.
    while (timeoutMs > 0) {
        const int waiting = usb.bytesWaiting(handle);
        if (waiting < 0) {
            failed = true;
            break;
        }
        if (waiting > 0) {
            const QByteArray chunk = usb.read(handle, waiting);
            qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(chunk);
            reply += chunk;
            deadline = clock.nowMs() + timeoutMs; // the time-out counts from the last chunk
            if (reply.size() > TransportState::kMaxReplyBytes) {
                overflow = true;
                break;
            }
            if (PacketEndCondition == 0)
                done = chunk.endsWith('\r') || chunk.endsWith('\n');
            else if (PacketEndCondition == 1)
                done = endsWithStatusLine(reply);
        }
        m_state.showCommActivity(QString::fromLatin1(reply));
        if (done)
            break;
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            break;
        clock.waitUntil(qMin(deadline, now + step));
    }

    if (overflow) {
        // A peer that never ends its answer is cut off rather than filling memory.
        status = Complete;
        m_state.lastOutcome = ExchangeOutcome::Overflow;
        return Reply::Overflow;
    }
    status = done ? Complete : TimedOut;
    m_state.lastOutcome = done ? ExchangeOutcome::Answered
                               : failed ? ExchangeOutcome::PortFailed : ExchangeOutcome::TimedOut;
    return QString::fromLatin1(reply);
}

void UsbTransport::LoadUSBSettings()
{
    device.Name = Settings::value(SettingsKey::USBName);
    device.SerialNumber = Settings::value(SettingsKey::USBSerialNumber);
    device.Handle = 0;
    device.Reply.clear();
    device.InUse = false;
}

bool UsbTransport::SaveUSBSettings()
{
    bool saved = Settings::setValue(SettingsKey::Interface, QStringLiteral("USB"));
    saved = Settings::setValue(SettingsKey::USBName, device.Name) && saved;
    saved = Settings::setValue(SettingsKey::USBSerialNumber, device.SerialNumber) && saved;
    return saved;
}
