#include "instrument/usb/UsbInterface.h"

#include "instrument/InstrumentContext.h"
#include "instrument/usb/UsbTransport.h"
#include "platform/Settings.h"

InterfaceRegistry::Entry usbInterface()
{
    return {
        InterfaceUSB,
        QStringLiteral("USB"),
        [](InstrumentContext &context) -> std::unique_ptr<Transport> {
            return std::make_unique<UsbTransport>(context.usb());
        },
        [](InstrumentContext &) {
            return Endpoint::usb(Settings::value(SettingsKey::USBSerialNumber), Settings::value(SettingsKey::USBName));
        },
        [](InstrumentContext &, const Endpoint &endpoint) {
            bool saved = Settings::setValue(SettingsKey::USBName, endpoint.name);
            return Settings::setValue(SettingsKey::USBSerialNumber, endpoint.address) && saved;
        },
    };
}
