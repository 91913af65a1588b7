#pragma once

#include <QString>

/// The USB bridge in use, or one entry of the device list.
struct UsbDeviceRecord
{
    QString Name;         ///< the bridge's description string
    QString SerialNumber; ///< the key used to open it
    int Handle = 0;       ///< non-zero while open
    QString Text;         ///< spare text, emptied when the settings are loaded
    bool InUse = false;   ///< true from the start of an exchange to its end
};
