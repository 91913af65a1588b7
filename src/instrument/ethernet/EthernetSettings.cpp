#include "instrument/ethernet/EthernetSettings.h"

#include "instrument/InterfaceType.h"
#include "instrument/ethernet/EthernetModuleRecord.h"
#include "platform/Settings.h"

void LoadEthernetSettings(EthernetModuleRecord &module)
{
    module.IP = EthernetModuleRecord::fixedLength(Settings::value(SettingsKey::EthernetIP),
                                                  EthernetModuleRecord::kIpLength);
    module.Port = Settings::intValue(SettingsKey::EthernetPort);
    module.MAC = EthernetModuleRecord::fixedLength(Settings::value(SettingsKey::EthernetMAC),
                                                   EthernetModuleRecord::kMacLength);
}

bool SaveEthernetSettings(const EthernetModuleRecord &module)
{
    bool ok = Settings::setValue(SettingsKey::Interface, interfaceSettingText(InterfaceEthernet));
    ok = Settings::setValue(SettingsKey::EthernetIP,
                            EthernetModuleRecord::fixedLength(module.IP, EthernetModuleRecord::kIpLength))
         && ok;
    ok = Settings::setValue(SettingsKey::EthernetPort, QString::number(module.Port)) && ok;
    ok = Settings::setValue(SettingsKey::EthernetMAC,
                            EthernetModuleRecord::fixedLength(module.MAC, EthernetModuleRecord::kMacLength))
         && ok;
    return ok;
}
