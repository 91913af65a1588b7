#pragma once

class InstrumentContext;

/**
 * Start-up on a saved USB, Ethernet or GPIB connection: when "DVM1_Interface" names one of them,
 * `DVM` is pointed at the saved device ("USB_Name"/"USB_SerialNumber", "Ethernet_IP"/
 * "Ethernet_Port"/"Ethernet_MAC", or "DVM1_GPIBPort") and asked who it is. True when the answer
 * is one the driver accepts. Otherwise `DVM` is left on RS-232 for the serial search, and for a
 * saved RS-232 connection nothing is sent at all.
 */
bool connectSavedInterface(InstrumentContext &context);
