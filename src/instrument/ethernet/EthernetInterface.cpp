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

InterfaceRegistry::Entry ethernetInterface()
{
    return {
        InterfaceEthernet,
        QStringLiteral("Ethernet"),
        [](InstrumentContext &context) -> std::unique_ptr<Transport> {
            return std::make_unique<EthernetTransport>(context.state());
        },
        [](InstrumentContext &) {
            EthernetModuleRecord module;
            module.IP = EthernetModuleRecord::fixedLength(Settings::value(SettingsKey::EthernetIP),
                                                          EthernetModuleRecord::kIpLength);
            module.Port = Settings::intValue(SettingsKey::EthernetPort);
            module.MAC = EthernetModuleRecord::fixedLength(Settings::value(SettingsKey::EthernetMAC),
                                                           EthernetModuleRecord::kMacLength);
            return ethernetEndpointOf(module);
        },
        [](InstrumentContext &, const Endpoint &endpoint) {
            // The address and MAC are stored with the blanks that fill them up, as the record holds them.
            const EthernetModuleRecord module = ethernetRecordOf(endpoint);
            bool ok = Settings::setValue(SettingsKey::EthernetIP, module.IP);
            ok = Settings::setValue(SettingsKey::EthernetPort, QString::number(module.Port)) && ok;
            return Settings::setValue(SettingsKey::EthernetMAC, module.MAC) && ok;
        },
    };
}
