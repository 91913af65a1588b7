#pragma once

/// How the instrument is attached. The numbers are stored and compared as they stand; an interface
/// added later takes a number of its own from kFirstAddedInterface on.
enum InterfaceType : int {
    InterfaceRS232 = 0,
    InterfaceGPIB = 1,
    InterfaceUSB = 2,
    InterfaceEthernet = 3,
    kFirstAddedInterface = 4,
};
