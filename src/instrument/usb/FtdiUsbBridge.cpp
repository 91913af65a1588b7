#include "instrument/usb/FtdiUsbBridge.h"

#include "instrument/Logging.h"

#ifdef CALSETUP_HAVE_LIBFTDI1

#include <QScopeGuard>

#include <ftdi.h>
#include <libusb.h>

namespace {

// The chip's string fields are read into buffers of this size, as the library lists them.
constexpr int kStringFieldLength = 256;
constexpr int kReadChunk = 4096;
// Error results of ftdi_usb_open_desc.
constexpr int kOpenNotFound = -3;
constexpr int kOpenFailed = -4;
constexpr int kClaimFailed = -5;
constexpr int kBadPermissions = -8;

QString libraryText(ftdi_context *context)
{
    const char *text = ftdi_get_error_string(context);
    return text ? QString::fromLocal8Bit(text) : QString();
}

/// Whether the system refuses this user the device node of a listed bridge.
bool accessDenied(libusb_device *device)
{
    libusb_device_handle *handle = nullptr;
    const int rc = libusb_open(device, &handle);
    if (rc == 0) {
        libusb_close(handle);
        return false;
    }
    return rc == LIBUSB_ERROR_ACCESS;
}

QString accessMessage(libusb_device *device)
{
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(device, &descriptor);
    return QStringLiteral("USB access to the FTDI bridge %1:%2 (/dev/bus/usb/%3/%4) is not permitted "
                          "for this user.\n")
               .arg(UsbBridge::kFtdiVendorId, 4, 16, QLatin1Char('0'))
               .arg(descriptor.idProduct, 4, 16, QLatin1Char('0'))
               .arg(libusb_get_bus_number(device), 3, 10, QLatin1Char('0'))
               .arg(libusb_get_device_address(device), 3, 10, QLatin1Char('0'))
           + FtdiUsbBridge::udevRuleAdvice(descriptor.idProduct);
}

/// After an open failed without a clear cause: whether an attached bridge is barred to this user.
bool anyBridgeDenied(int productId)
{
    ftdi_context *context = ftdi_new();
    if (!context)
        return false;
    auto freeContext = qScopeGuard([context] { ftdi_free(context); });
    ftdi_device_list *list = nullptr;
    if (ftdi_usb_find_all(context, &list, UsbBridge::kFtdiVendorId, productId) <= 0)
        return false;
    auto freeList = qScopeGuard([&list] { ftdi_list_free(&list); });
    for (ftdi_device_list *node = list; node; node = node->next) {
        if (accessDenied(node->dev))
            return true;
    }
    return false;
}

} // namespace

FtdiUsbBridge::FtdiUsbBridge() = default;

FtdiUsbBridge::~FtdiUsbBridge()
{
    while (!m_open.empty())
        close(m_open.begin()->first);
}

QString FtdiUsbBridge::udevRuleAdvice(int productId)
{
    // The package's rule covers the bridges this program opens; the hand-written line is for a
    // bridge of another product number, or a computer where the rule cannot be installed.
    return QStringLiteral("Installing the calsetup package puts the rule in place as "
                          "/usr/lib/udev/rules.d/70-calsetup.rules (a hand install copies "
                          "packaging/70-calsetup.rules to /etc/udev/rules.d/); then run "
                          "\"udevadm control --reload-rules\" and \"udevadm trigger\" as root "
                          "and plug the bridge in again.\n"
                          "Otherwise add a udev rule by hand, for example a file "
                          "/etc/udev/rules.d/60-calsetup-bridge.rules holding the line\n"
                          "SUBSYSTEM==\"usb\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", "
                          "MODE=\"0660\", TAG+=\"uaccess\"\n"
                          "and reload the rules the same way.")
        .arg(kFtdiVendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'));
}

bool FtdiUsbBridge::fail(ErrorKind kind, const QString &text)
{
    m_errorKind = kind;
    m_error = text;
    qCDebug(lcInstrument).noquote() << "usb:" << text;
    return false;
}

void FtdiUsbBridge::succeed()
{
    m_errorKind = ErrorKind::None;
    m_error.clear();
}

FtdiUsbBridge::OpenDevice *FtdiUsbBridge::find(int handle)
{
    const auto it = m_open.find(handle);
    if (it == m_open.end()) {
        fail(ErrorKind::Failed, QStringLiteral("The USB device is not open"));
        return nullptr;
    }
    return &it->second;
}

bool FtdiUsbBridge::listDevices(QList<DeviceStrings> &devices)
{
    devices.clear();
    ftdi_context *context = ftdi_new();
    if (!context)
        return fail(ErrorKind::Unavailable,
                    QStringLiteral("USB is not available on this system (the USB library could not start)"));
    auto freeContext = qScopeGuard([context] { ftdi_free(context); });

    ftdi_device_list *list = nullptr;
    const int count = ftdi_usb_find_all(context, &list, 0, 0);
    auto freeList = qScopeGuard([&list] {
        if (list)
            ftdi_list_free(&list);
    });
    if (count < 0)
        return fail(ErrorKind::Unavailable,
                    QStringLiteral("Listing the USB devices failed: %1").arg(libraryText(context)));

    for (ftdi_device_list *node = list; node; node = node->next) {
        char description[kStringFieldLength] = {};
        char serialNumber[kStringFieldLength] = {};
        const int rc = ftdi_usb_get_strings2(context, node->dev, nullptr, 0, description,
                                             kStringFieldLength, serialNumber, kStringFieldLength);
        if (rc < 0) {
            if (accessDenied(node->dev))
                return fail(ErrorKind::NoAccess, accessMessage(node->dev));
            return fail(ErrorKind::Failed, QStringLiteral("Reading the names of a USB device failed: %1")
                                               .arg(libraryText(context)));
        }
        devices.append({QByteArray(description, kStringFieldLength),
                        QByteArray(serialNumber, kStringFieldLength)});
    }
    succeed();
    return true;
}

int FtdiUsbBridge::open(const QString &serialNumber, const LineSettings &settings)
{
    ftdi_context *context = ftdi_new();
    if (!context) {
        fail(ErrorKind::Unavailable,
             QStringLiteral("USB is not available on this system (the USB library could not start)"));
        return 0;
    }
    // The default mode unbinds the system's serial driver for good: the /dev/ttyUSBn node would
    // be gone until the bridge is plugged in again.
    context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;

    const QByteArray serial = serialNumber.toLatin1();
    int rc = kOpenNotFound;
    int productId = UsbBridge::kFtdiProductIds[0];
    for (int id : UsbBridge::kFtdiProductIds) {
        productId = id;
        rc = ftdi_usb_open_desc(context, kFtdiVendorId, id, nullptr, serial.constData());
        if (rc != kOpenNotFound)
            break;
    }
    if (rc < 0) {
        const QString why = libraryText(context);
        ftdi_free(context);
        if (rc == kOpenNotFound) {
            fail(ErrorKind::NotFound, QStringLiteral("No FTDI bridge with serial number \"%1\" is attached")
                                          .arg(serialNumber));
        } else if (rc == kBadPermissions
                   || ((rc == kOpenFailed || rc == kClaimFailed) && anyBridgeDenied(productId))) {
            fail(ErrorKind::NoAccess,
                 QStringLiteral("USB access to the FTDI bridge \"%1\" is not permitted for this user (%2).\n")
                         .arg(serialNumber, why)
                     + udevRuleAdvice(productId));
        } else if (rc == kClaimFailed) {
            fail(ErrorKind::Failed,
                 QStringLiteral("The FTDI bridge \"%1\" is in use by another program, or its serial driver "
                                "could not be detached (%2)")
                     .arg(serialNumber, why));
        } else {
            fail(ErrorKind::Failed,
                 QStringLiteral("Opening the FTDI bridge \"%1\" failed: %2 (%3)").arg(serialNumber, why).arg(rc));
        }
        return 0;
    }

    const ftdi_bits_type bits = settings.dataBits == 7 ? BITS_7 : BITS_8;
    const ftdi_stopbits_type stop = settings.stopBits == 2 ? STOP_BIT_2 : STOP_BIT_1;
    const ftdi_parity_type parity = settings.parity == 'E' ? EVEN : settings.parity == 'O' ? ODD : NONE;
    const bool configured = ftdi_set_baudrate(context, settings.baudRate) >= 0
                            && ftdi_set_line_property(context, bits, stop, parity) >= 0
                            && ftdi_setflowctrl(context, settings.flowControl ? SIO_RTS_CTS_HS
                                                                              : SIO_DISABLE_FLOW_CTRL) >= 0
                            && ftdi_set_latency_timer(context, kLatencyTimerMs) >= 0
                            && ftdi_set_event_char(context, '\r', 1) >= 0;
    if (!configured) {
        const QString why = libraryText(context);
        ftdi_usb_close(context);
        ftdi_free(context);
        fail(ErrorKind::Failed, QStringLiteral("Setting up the FTDI bridge \"%1\" failed: %2").arg(serialNumber, why));
        return 0;
    }
    // The library has no setter for its time-outs; they are fields of the context.
    context->usb_read_timeout = settings.readTimeoutMs;
    context->usb_write_timeout = settings.writeTimeoutMs > 0 ? qMin(settings.writeTimeoutMs, kWriteTimeoutBoundMs)
                                                             : kWriteTimeoutBoundMs;

    const int handle = m_nextHandle++;
    m_open[handle].context = context;
    succeed();
    return handle;
}

bool FtdiUsbBridge::write(int handle, const QByteArray &bytes)
{
    OpenDevice *device = find(handle);
    if (!device)
        return false;
    const int written = ftdi_write_data(device->context, reinterpret_cast<const unsigned char *>(bytes.constData()),
                                        int(bytes.size()));
    if (written != bytes.size())
        return fail(ErrorKind::Failed,
                    QStringLiteral("Writing to the FTDI bridge failed: %1").arg(libraryText(device->context)));
    succeed();
    return true;
}

int FtdiUsbBridge::bytesWaiting(int handle)
{
    OpenDevice *device = find(handle);
    if (!device)
        return -1;
    if (device->received.size() < kMaxBufferedBytes) {
        unsigned char chunk[kReadChunk];
        const int got = ftdi_read_data(device->context, chunk, kReadChunk);
        if (got < 0) {
            fail(ErrorKind::Failed, QStringLiteral("Reading from the FTDI bridge failed (was it unplugged?): %1")
                                        .arg(libraryText(device->context)));
            return -1;
        }
        device->received.append(reinterpret_cast<const char *>(chunk), got);
    }
    return int(device->received.size());
}

QByteArray FtdiUsbBridge::read(int handle, int maxBytes)
{
    OpenDevice *device = find(handle);
    if (!device || maxBytes <= 0)
        return {};
    const QByteArray taken = device->received.left(maxBytes);
    device->received.remove(0, taken.size());
    return taken;
}

bool FtdiUsbBridge::discardReceived(int handle)
{
    OpenDevice *device = find(handle);
    if (!device)
        return false;
    device->received.clear();
    if (ftdi_tciflush(device->context) < 0)
        return fail(ErrorKind::Failed, QStringLiteral("Clearing the FTDI bridge's receive buffer failed: %1")
                                           .arg(libraryText(device->context)));
    succeed();
    return true;
}

void FtdiUsbBridge::close(int handle)
{
    const auto it = m_open.find(handle);
    if (it == m_open.end())
        return;
    // Closing hands the bridge back to the system's serial driver.
    ftdi_usb_close(it->second.context);
    ftdi_free(it->second.context);
    m_open.erase(it);
}

#else // built without libftdi1: createSystemUsbBridge() never makes one of these

FtdiUsbBridge::FtdiUsbBridge() = default;
FtdiUsbBridge::~FtdiUsbBridge() = default;
QString FtdiUsbBridge::udevRuleAdvice(int) { return {}; }
bool FtdiUsbBridge::fail(ErrorKind kind, const QString &text)
{
    m_errorKind = kind;
    m_error = text;
    return false;
}
void FtdiUsbBridge::succeed() {}
FtdiUsbBridge::OpenDevice *FtdiUsbBridge::find(int) { return nullptr; }
bool FtdiUsbBridge::listDevices(QList<DeviceStrings> &)
{
    return fail(ErrorKind::Unavailable, QStringLiteral("USB: built without libftdi1"));
}
int FtdiUsbBridge::open(const QString &, const LineSettings &) { return 0; }
bool FtdiUsbBridge::write(int, const QByteArray &) { return false; }
int FtdiUsbBridge::bytesWaiting(int) { return -1; }
QByteArray FtdiUsbBridge::read(int, int) { return {}; }
bool FtdiUsbBridge::discardReceived(int) { return false; }
void FtdiUsbBridge::close(int) {}

#endif
