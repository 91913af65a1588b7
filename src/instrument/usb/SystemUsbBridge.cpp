#include "instrument/usb/SystemUsbBridge.h"

#include "instrument/usb/FtdiUsbBridge.h"
#include "instrument/usb/UnavailableUsbBridge.h"

std::unique_ptr<UsbBridge> createSystemUsbBridge()
{
#ifdef CALSETUP_HAVE_LIBFTDI1
    return std::make_unique<FtdiUsbBridge>();
#else
    return std::make_unique<UnavailableUsbBridge>(
        QStringLiteral("USB: this program was built without the FTDI library (libftdi1)"));
#endif
}
