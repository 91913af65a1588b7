#include "instrument/gpib/GpibInterface.h"

#include "instrument/gpib/GpibTransport.h"
#include "platform/Settings.h"

namespace {

/// The address chosen last, "DVM1_GPIBPort", as it is stored.
Endpoint savedAddress(InstrumentContext &)
{
    return Endpoint{InterfaceGPIB, Settings::value(SettingsKey::GPIBPort).trimmed(), {}};
}

bool saveAddress(InstrumentContext &, const Endpoint &endpoint)
{
    return Settings::setValue(SettingsKey::GPIBPort, endpoint.address);
}

} // namespace

InterfaceRegistry::Entry gpibInterface()
{
    return InterfaceRegistry::entryFor<GpibTransport>(InterfaceGPIB, QStringLiteral("GPIB"), savedAddress, saveAddress);
}
