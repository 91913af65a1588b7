// The program's interfaces, one line each. A new interface is a folder beside these with a
// transport and an entry function, and one more line here.

#include "instrument/InterfaceRegistry.h"
#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/gpib/GpibInterface.h"
#include "instrument/serial/SerialInterface.h"
#include "instrument/usb/UsbInterface.h"

void registerBuiltInInterfaces(InterfaceRegistry &registry)
{
    registry.add(serialInterface());
    registry.add(gpibInterface());
    registry.add(usbInterface());
    registry.add(ethernetInterface());
}
