#include "instrument/gpib/GpibInterface.h"

#include "instrument/gpib/GpibTransport.h"
#include "platform/Settings.h"

InterfaceRegistry::Entry gpibInterface()
{
    return {
        InterfaceGPIB,
        QStringLiteral("GPIB"),
        [](InstrumentContext &context) -> std::unique_ptr<Transport> {
            return std::make_unique<GpibTransport>(context);
        },
        [](InstrumentContext &) {
            return Endpoint{InterfaceGPIB, Settings::value(SettingsKey::GPIBPort).trimmed(), {}};
        },
        [](InstrumentContext &, const Endpoint &endpoint) {
            return Settings::setValue(SettingsKey::GPIBPort, endpoint.address);
        },
    };
}
