#pragma once

#include <QString>

/// The USB bridge in use, or one entry of the device list.
struct UsbDeviceRecord
{
    QString Name;         ///< the bridge's description string
    QString SerialNumber; ///< the key used to open it
    int Handle = 0;       ///< the bridge handle while the listing asks it, -1 when it would not open
    QString Reply;        ///< the answer to the identification of the last listing
};
