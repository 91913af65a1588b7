#include "instrument/usb/UsbIdentificationPass.h"

#include "instrument/usb/UsbTransport.h"
#include "platform/Clock.h"

QStringList UsbIdentificationPass::run(UsbTransport &usb, int count, bool removeLineEnds)
{
    count = qMin(count, int(usb.devices.size()));
    QStringList column(count, kNotOpened);
    for (int i = 0; i < count; ++i) {
        UsbDeviceRecord &device = usb.devices[i];
        int handle = 0;
        if (usb.OpenUSBDevice(device.SerialNumber, handle)) {
            device.Handle = handle;
            usb.USBWrite(QStringLiteral("*IDN?\r"), handle);
        } else {
            device.Handle = -1;
        }
    }

    systemClock().pause(kAnswerPauseMs);

    for (int i = 0; i < count; ++i) {
        UsbDeviceRecord &device = usb.devices[i];
        if (device.Handle <= 0)
            continue;
        QString answer;
        if (usb.bytesWaiting(device.Handle) > 0)
            answer = usb.USBRead(device.Handle);
        if (removeLineEnds) {
            answer.remove(QLatin1Char('\r'));
            answer.remove(QLatin1Char('\n'));
        }
        device.Reply = answer;
        column[i] = answer.isEmpty() ? kNoReply : answer;
        usb.closeDevice(device.Handle);
        device.Handle = 0;
    }
    return column;
}
