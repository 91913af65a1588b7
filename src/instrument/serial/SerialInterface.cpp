#include "instrument/serial/SerialInterface.h"

#include "instrument/InstrumentContext.h"
#include "instrument/serial/SerialTransport.h"
#include "platform/Settings.h"

namespace {

/// The port chosen last, "DVM1_CommPort", as it is stored.
Endpoint savedPort(InstrumentContext &)
{
    return Endpoint{InterfaceRS232, Settings::value(SettingsKey::CommPort).trimmed(), {}};
}

bool savePort(InstrumentContext &context, const Endpoint &port)
{
    const bool saved = Settings::setValue(SettingsKey::CommPort, port.address);
    // The device keeps its number across restarts, however the system numbers its ports then.
    return context.portTable().remember(port.number()) && saved;
}

} // namespace

InterfaceRegistry::Entry serialInterface()
{
    return InterfaceRegistry::entryFor<SerialTransport>(InterfaceRS232, QStringLiteral("RS232"), savedPort, savePort);
}
