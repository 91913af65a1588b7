#include "locate/UsbInstrumentSearch.h"

#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InterfaceType.h"

#include <QScopeGuard>

UsbInstrumentSearch::UsbInstrumentSearch(InstrumentContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{
}

bool UsbInstrumentSearch::search()
{
    if (m_searching)
        return false;
    m_searching = true;
    auto done = qScopeGuard([this] { m_searching = false; });

    UsbTransport &usb = m_context.usb();
    const UsbDeviceRecord kept = m_context.usbDevice;
    const std::unique_ptr<IDVM> probe = CreateDVM(kProbeModel, m_context);

    const int count = usb.countDevices();
    if (count == 0) {
        emit detail(kNoDevices);
        // Say why when USB itself is out of reach, not just empty.
        if (usb.noUsbAccess())
            emit detail(usb.listingError());
        return false;
    }

    // The list is copied: the probing exchanges must not see it change under them.
    const QList<UsbDeviceRecord> devices = usb.devices.mid(0, count);
    for (const UsbDeviceRecord &device : devices) {
        emit detail(QStringLiteral("USB Device \"%1\" Found: ").arg(device.Name));
        probe->SetInterfaceType(InterfaceUSB);
        m_context.usbDevice = device;
        probe->SetUSBDevice();
        const QString reply = probe->Identify();
        if (!probe->CheckIdentity(reply))
            continue;
        emit detail(QStringLiteral("Using USB Device %1 (%2)").arg(device.Name, device.SerialNumber));
        emit result(QStringLiteral("Using USB Device ") + reply);
        m_context.usbDevice = device;
        usb.SaveUSBSettings();
        if (IDVM *dvm = m_context.dvm()) {
            dvm->SetInterfaceType(InterfaceUSB);
            dvm->SetUSBDevice();
        }
        return true;
    }
    emit detail(kNoneAnswered);
    m_context.usbDevice = kept;
    return false;
}
