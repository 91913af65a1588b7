#include "instrument/serial/SerialInterface.h"

#include "instrument/InstrumentContext.h"
#include "instrument/serial/SerialTransport.h"
#include "platform/Settings.h"

InterfaceRegistry::Entry serialInterface()
{
    return {
        InterfaceRS232,
        QStringLiteral("RS232"),
        [](InstrumentContext &context) -> std::unique_ptr<Transport> {
            return std::make_unique<SerialTransport>(context.state(), context.dvm1Comm());
        },
        [](InstrumentContext &) {
            return Endpoint{InterfaceRS232, Settings::value(SettingsKey::CommPort).trimmed(), {}};
        },
        [](InstrumentContext &context, const Endpoint &endpoint) {
            const bool saved = Settings::setValue(SettingsKey::CommPort, endpoint.address);
            // The device keeps its number across restarts, however the system numbers its ports then.
            return context.portTable().remember(endpoint.number()) && saved;
        },
    };
}
