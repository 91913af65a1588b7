#include "instrument/ethernet/EthernetInterface.h"

#include "instrument/InstrumentContext.h"
#include "instrument/ethernet/EthernetModuleRecord.h"
#include "instrument/ethernet/EthernetTransport.h"
#include "platform/Settings.h"

Endpoint ethernetEndpointOf(const EthernetModuleRecord &module)
{
    return Endpoint::ethernet(module.ipText(), module.Port, module.macText());
}

EthernetModuleRecord ethernetRecordOf(const Endpoint &endpoint)
{
    EthernetModuleRecord module;
    module.IP = EthernetModuleRecord::fixedLength(endpoint.host(), EthernetModuleRecord::kIpLength);
    module.Port = endpoint.port();
    module.MAC = EthernetModuleRecord::fixedLength(endpoint.name, EthernetModuleRecord::kMacLength);
    return module;
}

namespace {

/// The module chosen last: "Ethernet_IP", "Ethernet_Port" and "Ethernet_MAC".
Endpoint savedModule(InstrumentContext &)
{
    EthernetModuleRecord module;
    module.IP =
        EthernetModuleRecord::fixedLength(Settings::value(SettingsKey::EthernetIP), EthernetModuleRecord::kIpLength);
    module.Port = Settings::intValue(SettingsKey::EthernetPort);
    module.MAC =
        EthernetModuleRecord::fixedLength(Settings::value(SettingsKey::EthernetMAC), EthernetModuleRecord::kMacLength);
    return ethernetEndpointOf(module);
}

bool saveModule(InstrumentContext &, const Endpoint &endpoint)
{
    // The address and MAC are stored with the blanks that fill them up, as the record holds them.
    const EthernetModuleRecord module = ethernetRecordOf(endpoint);
    bool ok = Settings::setValue(SettingsKey::EthernetIP, module.IP);
    ok = Settings::setValue(SettingsKey::EthernetPort, QString::number(module.Port)) && ok;
    return Settings::setValue(SettingsKey::EthernetMAC, module.MAC) && ok;
}

} // namespace

InterfaceRegistry::Entry ethernetInterface()
{
    return InterfaceRegistry::entryFor<EthernetTransport>(InterfaceEthernet, QStringLiteral("Ethernet"), savedModule,
                                                          saveModule);
}
