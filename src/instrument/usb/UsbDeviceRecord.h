#pragma once

#include <QString>

/// The USB bridge in use, or one entry of the device list.
struct UsbDeviceRecord
{
    QString Name;         ///< the bridge's description string
    QString SerialNumber; ///< the key used to open it
    int Handle = 0;       ///< the bridge handle while open, 0 otherwise, -1 after a failed open
    QString Reply;        ///< the answer to the identification of the last listing
    bool InUse = false;   ///< true from the start of an exchange to its end
};
