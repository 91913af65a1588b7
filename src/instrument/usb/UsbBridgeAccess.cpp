#include "instrument/usb/UsbBridgeAccess.h"

#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/usb/SystemUsbBridge.h"
#include "platform/Clock.h"

#include <QObject>

namespace {

/// A fixed-size text field of the library: at most 256 characters, cut at the first NUL.
QString fixedField(const QByteArray &raw)
{
    QByteArray field = raw.left(UsbBridgeAccess::kStringFieldLength);
    const qsizetype nul = field.indexOf('\0');
    if (nul >= 0)
        field.truncate(nul);
    return QString::fromLatin1(field);
}

} // namespace

UsbBridgeAccess::UsbBridgeAccess(TransportState &state, QObject *owner)
    : m_state(state), m_idleTimerContext(std::make_unique<QObject>(owner))
{
}

UsbBridgeAccess::~UsbBridgeAccess()
{
    // The program ends: the system gets its serial driver back.
    releaseHeld();
}

void UsbBridgeAccess::setBridge(std::shared_ptr<UsbBridge> bridge)
{
    m_bridge = std::move(bridge);
}

UsbBridge *UsbBridgeAccess::bridge()
{
    // Made on first use, so a program that never touches USB never starts the USB library.
    if (!m_bridge)
        m_bridge = createSystemUsbBridge();
    return m_bridge.get();
}

UsbBridge::LineSettings UsbBridgeAccess::lineSettings()
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

int UsbBridgeAccess::ListUSBDevices()
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

int UsbBridgeAccess::countDevices()
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

bool UsbBridgeAccess::noUsbAccess() const
{
    return m_listingErrorKind == UsbBridge::ErrorKind::NoAccess
        || m_listingErrorKind == UsbBridge::ErrorKind::Unavailable;
}

bool UsbBridgeAccess::OpenUSBDevice(const QString &serialNumber, int &handle)
{
    releaseHeld(serialNumber);
    return openDevice(serialNumber, handle);
}

bool UsbBridgeAccess::openDevice(const QString &serialNumber, int &handle)
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

bool UsbBridgeAccess::USBWrite(const QString &text, int handle)
{
    const QByteArray bytes = text.toLatin1();
    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(bytes);
    return bridge()->write(handle, bytes);
}

int UsbBridgeAccess::bytesWaiting(int handle)
{
    return bridge()->bytesWaiting(handle);
}

QString UsbBridgeAccess::USBRead(int handle)
{
    const int waiting = bytesWaiting(handle);
    if (waiting <= 0)
        return {};
    const QByteArray bytes = bridge()->read(handle, waiting);
    qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(bytes);
    return QString::fromLatin1(bytes);
}

int UsbBridgeAccess::pollStepMs()
{
    return qBound(1, bridge()->pollIntervalMs(), TransportState::kActivityStepMs);
}

int UsbBridgeAccess::waitForBytes(int handle, int timeoutMs)
{
    Clock &clock = systemClock();
    UsbBridge &usb = *bridge();
    const int step = pollStepMs();
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

QString UsbBridgeAccess::USBReadReply(int handle)
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

bool UsbBridgeAccess::discardStaleInput(int handle)
{
    // The bridge's chip keeps what the instrument sent while no one listened: the late answer to
    // an exchange that gave up. Taken as this command's answer it could pass a late "*0" off as
    // acceptance, so it goes, as the serial and Ethernet routes throw away what waits before a
    // command. The bridge stays open between exchanges, so no open flushes the chip: it is told
    // to, and what was already on its way to the host is read off. Bounded, so a device that
    // never stops talking cannot hold the exchange here.
    UsbBridge &usb = *bridge();
    if (!usb.discardReceived(handle)) {
        qCDebug(lcInstrument).noquote() << "usb: clearing the receive buffer failed:" << usb.lastError();
        return false;
    }
    qint64 discarded = 0;
    while (discarded <= TransportState::kMaxReplyBytes) {
        const int waiting = usb.bytesWaiting(handle);
        if (waiting < 0)
            return false;
        if (waiting == 0)
            break;
        const QByteArray stale = usb.read(handle, waiting);
        if (stale.isEmpty())
            break;
        qCDebug(lcInstrument).noquote() << "discard" << visibleWireText(stale);
        discarded += stale.size();
    }
    return true;
}

void UsbBridgeAccess::closeDevice(int handle)
{
    if (handle <= 0)
        return;
    if (handle == m_heldHandle) {
        m_heldHandle = 0;
        m_heldSerialNumber.clear();
        ++m_holdGeneration;
    }
    qCDebug(lcInstrument) << "usb close" << handle;
    bridge()->close(handle);
}

int UsbBridgeAccess::holdOpen(const QString &serialNumber)
{
    // An idle close armed before this exchange must not take the bridge from under it.
    ++m_holdGeneration;
    if (m_heldHandle > 0 && m_heldSerialNumber == serialNumber)
        return m_heldHandle;
    releaseHeld();
    int handle = 0;
    if (!openDevice(serialNumber, handle))
        return 0;
    m_heldHandle = handle;
    m_heldSerialNumber = serialNumber;
    return handle;
}

void UsbBridgeAccess::exchangeEnded(bool bridgeFailed)
{
    if (m_heldHandle <= 0)
        return;
    // A bridge that failed (pulled out, the library's error) is given back at once, so the next
    // exchange opens it afresh rather than talking to a dead handle.
    if (bridgeFailed) {
        releaseHeld();
        return;
    }
    const quint64 generation = ++m_holdGeneration;
    systemClock().schedule(kIdleCloseMs, m_idleTimerContext.get(), [this, generation] {
        // Events run while an exchange waits: one running now re-arms the close when it ends.
        if (generation == m_holdGeneration && !m_exchangeRunning)
            releaseHeld();
    });
}

void UsbBridgeAccess::releaseHeld()
{
    closeDevice(m_heldHandle);
}

void UsbBridgeAccess::releaseHeld(const QString &serialNumber)
{
    if (!m_exchangeRunning && m_heldHandle > 0 && m_heldSerialNumber == serialNumber)
        releaseHeld();
}
