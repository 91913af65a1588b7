#include "gui/app/SavedInterface.h"

#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InterfaceType.h"
#include "instrument/ethernet/EthernetSettings.h"
#include "platform/Settings.h"

bool connectSavedInterface(InstrumentContext &context)
{
    IDVM *dvm = context.dvm();
    if (!dvm)
        return false;
    const int type = interfaceFromSettingText(Settings::value(SettingsKey::Interface));
    switch (type) {
    case InterfaceUSB:
        context.usbDevice.Name = Settings::value(SettingsKey::USBName);
        context.usbDevice.SerialNumber = Settings::value(SettingsKey::USBSerialNumber);
        context.usbDevice.Text.clear();
        dvm->SetUSBDevice();
        break;
    case InterfaceEthernet:
        LoadEthernetSettings(context.ethernetDevice);
        dvm->SetEthernetDevice();
        break;
    case InterfaceGPIB:
        dvm->SetGPIBAddress(Settings::intValue(SettingsKey::GPIBPort));
        break;
    default:
        return false;
    }
    dvm->SetInterfaceType(type);
    if (dvm->CheckIdentity(dvm->Identify().trimmed()))
        return true;
    dvm->SetInterfaceType(InterfaceRS232);
    return false;
}
