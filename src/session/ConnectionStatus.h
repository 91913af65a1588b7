#pragma once

#include <QString>

class InstrumentSession;

/// What the main window's status bar says about the connection in use.
namespace ConnectionStatus {

/// On RS-232 the serial port's state as the program has always shown it ("Com1 Open", nothing
/// once the port is closed). On any other interface the serial port may well still stand open
/// from the start-up search, so the panel shows the driver's own description of its transport on
/// one line ("GPIB Address 22", "USB", "Ethernet 127.0.0.1").
QString panelText(InstrumentSession &session);

} // namespace ConnectionStatus
