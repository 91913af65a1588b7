#pragma once

#include "instrument/InterfaceRegistry.h"

/// The RS-232 interface: its transport, its settings text and the settings its endpoint is kept in.
InterfaceRegistry::Entry serialInterface();
