#include "instrument/usb/UsbIdentificationPass.h"

#include "instrument/usb/UsbBridgeAccess.h"
#include "platform/Clock.h"

QStringList UsbIdentificationPass::run(UsbBridgeAccess &usb, int count, bool removeLineEnds)
{
    count = qMin(count, int(usb.devices.size()));
    // The pass keeps its own handles: events run during the pause, and whatever they do to the
    // device list, every bridge opened here is read and closed here.
    const QList<UsbDeviceRecord> asked = usb.devices.mid(0, count);
    QList<int> handles(count, 0);
    QStringList column(count, kNotOpened);
    for (int i = 0; i < count; ++i) {
        if (usb.OpenUSBDevice(asked.at(i).SerialNumber, handles[i]))
            usb.USBWrite(QStringLiteral("*IDN?\r"), handles.at(i));
        else
            handles[i] = -1;
        usb.devices[i].Handle = handles.at(i);
    }

    systemClock().pause(kAnswerPauseMs);

    for (int i = 0; i < count; ++i) {
        const int handle = handles.at(i);
        if (handle <= 0)
            continue;
        QString answer;
        if (usb.bytesWaiting(handle) > 0)
            answer = usb.USBRead(handle);
        usb.closeDevice(handle);
        if (removeLineEnds) {
            answer.remove(QLatin1Char('\r'));
            answer.remove(QLatin1Char('\n'));
        }
        column[i] = answer.isEmpty() ? kNoReply : answer;
        // Only into the record of the same bridge, should the list have been rebuilt meanwhile.
        if (i < usb.devices.size() && usb.devices.at(i).SerialNumber == asked.at(i).SerialNumber) {
            usb.devices[i].Reply = answer;
            usb.devices[i].Handle = 0;
        }
    }
    return column;
}
