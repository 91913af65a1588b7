#include "sim/usb/SimUsbBridge.h"

#include "platform/Clock.h"
#include "sim/CalibratorLink.h"
#include "sim/SimLog.h"
#include "sim/VirtualCalibrator.h"

SimUsbBridge::SimUsbBridge(QObject *parent) : QObject(parent) {}

SimUsbBridge::~SimUsbBridge()
{
    // A link belongs to its calibrator, which may outlive this bridge; its sink must not.
    for (const auto &device : m_devices)
        delete device->link.data();
}

int SimUsbBridge::addDevice(const QByteArray &description, const QByteArray &serialNumber,
                            VirtualCalibrator *calibrator)
{
    auto device = std::make_unique<Device>();
    device->index = int(m_devices.size());
    device->description = description;
    device->serialNumber = serialNumber;
    if (calibrator) {
        Device *target = device.get();
        // Made a child of the calibrator: it reads the calibrator's knobs and must die with them.
        device->link = new CalibratorLink(
            *calibrator, [this, target](const QByteArray &bytes) { receive(*target, bytes); }, calibrator);
    }
    m_devices.push_back(std::move(device));
    return int(m_devices.size()) - 1;
}

void SimUsbBridge::refuseOpen(int index, ErrorKind kind, const QString &reason)
{
    Device &device = *m_devices.at(size_t(index));
    device.refusal = kind;
    device.refusalReason = reason;
}

void SimUsbBridge::failListing(ErrorKind kind, const QString &reason)
{
    m_listingFailure = kind;
    m_listingFailureReason = reason;
}

void SimUsbBridge::deviceSends(int index, const QByteArray &bytes)
{
    receive(*m_devices.at(size_t(index)), bytes);
}

void SimUsbBridge::unplug(int index)
{
    Device &device = *m_devices.at(size_t(index));
    if (!device.plugged)
        return;
    device.plugged = false;
    if (device.handle != 0) {
        device.deadHandle = device.handle;
        device.handle = 0;
    }
    device.received.clear();
    device.lines.clear();
    if (device.link)
        device.link->cancel();
    qCDebug(lcSim) << "usb: bridge" << device.serialNumber << "unplugged";
    systemClock().wake();
}

void SimUsbBridge::plugIn(int index)
{
    m_devices.at(size_t(index))->plugged = true;
}

QList<QByteArray> SimUsbBridge::heardLines(int index) const
{
    return m_devices.at(size_t(index))->heard;
}

int SimUsbBridge::openCount(int index) const
{
    return m_devices.at(size_t(index))->opens;
}

int SimUsbBridge::closeCount(int index) const
{
    return m_devices.at(size_t(index))->closes;
}

bool SimUsbBridge::anyOpen() const
{
    for (const auto &device : m_devices) {
        if (device->handle != 0 || device->deadHandle != 0)
            return true;
    }
    return false;
}

bool SimUsbBridge::fail(ErrorKind kind, const QString &text)
{
    m_errorKind = kind;
    m_error = text;
    qCDebug(lcSim) << "usb:" << text;
    return false;
}

SimUsbBridge::Device *SimUsbBridge::byHandle(int handle)
{
    for (const auto &device : m_devices) {
        if (handle > 0 && device->handle == handle)
            return device.get();
        if (handle > 0 && device->deadHandle == handle) {
            fail(ErrorKind::Failed,
                 QStringLiteral("The USB device \"%1\" was unplugged").arg(QString::fromLatin1(device->serialNumber)));
            return nullptr;
        }
    }
    fail(ErrorKind::Failed, QStringLiteral("The USB device is not open"));
    return nullptr;
}

bool SimUsbBridge::listDevices(QList<DeviceStrings> &devices)
{
    devices.clear();
    if (m_listingFailure != ErrorKind::None)
        return fail(m_listingFailure, m_listingFailureReason);
    for (const auto &device : m_devices) {
        if (device->plugged)
            devices.append({device->description, device->serialNumber});
    }
    m_errorKind = ErrorKind::None;
    m_error.clear();
    return true;
}

int SimUsbBridge::open(const QString &serialNumber, const LineSettings &settings)
{
    for (const auto &device : m_devices) {
        if (QString::fromLatin1(device->serialNumber) != serialNumber || !device->plugged)
            continue;
        if (device->refusal != ErrorKind::None) {
            fail(device->refusal, device->refusalReason);
            return 0;
        }
        if (device->handle != 0) {
            fail(ErrorKind::Failed, QStringLiteral("The USB device \"%1\" is already open").arg(serialNumber));
            return 0;
        }
        device->handle = m_nextHandle++;
        device->opens += 1;
        device->received.clear();
        device->lines.clear();
        m_lastSettings = settings;
        m_errorKind = ErrorKind::None;
        m_error.clear();
        return device->handle;
    }
    fail(ErrorKind::NotFound, QStringLiteral("No USB device with serial number \"%1\"").arg(serialNumber));
    return 0;
}

bool SimUsbBridge::write(int handle, const QByteArray &bytes)
{
    Device *device = byHandle(handle);
    if (!device)
        return false;
    for (const QByteArray &line : device->lines.feed(bytes)) {
        device->heard.append(line);
        emit lineHeard(device->index, line);
        if (device->handle != handle)
            break; // the cable was pulled under the command: it never reaches the instrument
        if (device->link)
            device->link->answer(line);
        if (device->handle != handle)
            break; // closed by whoever the reply woke
    }
    if (device->deadHandle == handle)
        return fail(ErrorKind::Failed,
                    QStringLiteral("The USB device \"%1\" was unplugged during the write")
                        .arg(QString::fromLatin1(device->serialNumber)));
    return true;
}

void SimUsbBridge::receive(Device &device, const QByteArray &bytes)
{
    if (device.handle == 0) {
        qCDebug(lcSim) << "usb: bridge closed, dropped" << bytes;
        return;
    }
    if (device.received.size() + bytes.size() > kMaxBufferedBytes) {
        qCWarning(lcSim) << "usb: host is not reading; dropped" << bytes.size() << "bytes";
        return;
    }
    device.received += bytes;
    systemClock().wake();
}

int SimUsbBridge::bytesWaiting(int handle)
{
    Device *device = byHandle(handle);
    return device ? int(device->received.size()) : -1;
}

QByteArray SimUsbBridge::read(int handle, int maxBytes)
{
    Device *device = byHandle(handle);
    if (!device || maxBytes <= 0)
        return {};
    const QByteArray taken = device->received.left(maxBytes);
    device->received.remove(0, taken.size());
    return taken;
}

bool SimUsbBridge::discardReceived(int handle)
{
    Device *device = byHandle(handle);
    if (!device)
        return false;
    device->received.clear();
    return true;
}

void SimUsbBridge::close(int handle)
{
    for (const auto &device : m_devices) {
        if (handle > 0 && device->handle == handle) {
            device->closes += 1;
            device->handle = 0;
            device->received.clear();
            device->lines.clear();
        }
        if (handle > 0 && device->deadHandle == handle) {
            device->closes += 1;
            device->deadHandle = 0;
        }
    }
}
