#pragma once

struct EthernetModuleRecord;

/// Fills the address, port and MAC of module from "Ethernet_IP", "Ethernet_Port" and
/// "Ethernet_MAC", the texts cut or padded to their fixed lengths.
void LoadEthernetSettings(EthernetModuleRecord &module);

/// Stores "DVM1_Interface" = "Ethernet", then the address (all 20 characters, with the blanks that
/// fill it up), the port in decimal and the MAC (all 30 characters). False when the store could
/// not be written.
bool SaveEthernetSettings(const EthernetModuleRecord &module);
