#pragma once

#include <QString>

/// How the instrument is attached. The numbers are stored and compared as they stand.
enum InterfaceType : int {
    InterfaceRS232 = 0,
    InterfaceGPIB = 1,
    InterfaceUSB = 2,
    InterfaceEthernet = 3,
};

/// The settings text for an interface ("RS232", "GPIB", "USB", "Ethernet").
QString interfaceSettingText(int type);
/// The interface named by a settings text, case-insensitively; RS-232 for anything unknown.
int interfaceFromSettingText(const QString &text);
