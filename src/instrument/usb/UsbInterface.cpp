#include "instrument/usb/UsbInterface.h"

#include "instrument/InstrumentContext.h"
#include "instrument/usb/UsbTransport.h"
#include "platform/Settings.h"

namespace {

/// The bridge chosen last: "USB_SerialNumber", with "USB_Name" as its description.
Endpoint savedBridge(InstrumentContext &)
{
    return Endpoint::usb(Settings::value(SettingsKey::USBSerialNumber), Settings::value(SettingsKey::USBName));
}

bool saveBridge(InstrumentContext &, const Endpoint &bridge)
{
    const bool named = Settings::setValue(SettingsKey::USBName, bridge.name);
    return Settings::setValue(SettingsKey::USBSerialNumber, bridge.address) && named;
}

} // namespace

InterfaceRegistry::Entry usbInterface()
{
    return InterfaceRegistry::entryFor<UsbTransport>(InterfaceUSB, QStringLiteral("USB"), savedBridge, saveBridge);
}
