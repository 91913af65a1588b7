#pragma once

#include "instrument/InterfaceRegistry.h"

struct EthernetModuleRecord;

/// The Ethernet interface: its transport, its settings text and the settings its endpoint is kept
/// in ("Ethernet_IP" and "Ethernet_MAC" as their fixed-length texts, "Ethernet_Port" in decimal).
InterfaceRegistry::Entry ethernetInterface();

/// The endpoint of a module: its address and data port, its MAC as the name.
Endpoint ethernetEndpointOf(const EthernetModuleRecord &module);
/// The address, port and MAC of an endpoint as the module record's fixed-length fields hold them.
EthernetModuleRecord ethernetRecordOf(const Endpoint &endpoint);
