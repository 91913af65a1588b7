#include "locate/UsbInstrumentSearch.h"

#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "locate/ProbeModel.h"
#include "session/InstrumentSession.h"

#include <QScopeGuard>

UsbInstrumentSearch::UsbInstrumentSearch(InstrumentSession &session, QObject *parent)
    : QObject(parent), m_session(session)
{
}

bool UsbInstrumentSearch::search()
{
    if (m_searching)
        return false;
    m_searching = true;
    auto done = qScopeGuard([this] { m_searching = false; });

    UsbBridgeAccess &usb = m_session.context().usb();
    const std::unique_ptr<IDVM> probe = CreateDVM(kProbeModel, m_session.context());

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
        const Endpoint bridge = Endpoint::usb(device.SerialNumber, device.Name);
        probe->connect(bridge);
        const QString reply = probe->Identify();
        if (!probe->CheckIdentity(reply))
            continue;
        emit detail(QStringLiteral("Using USB Device %1 (%2)").arg(device.Name, device.SerialNumber));
        emit result(QStringLiteral("Using USB Device ") + reply);
        m_session.usbDevice = device;
        m_session.saveConnection(bridge);
        if (m_session.dvm())
            m_session.connect(bridge);
        return true;
    }
    emit detail(kNoneAnswered);
    return false;
}
