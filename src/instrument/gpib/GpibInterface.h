#pragma once

#include "instrument/InterfaceRegistry.h"

/// The GPIB interface: its transport, its settings text and the settings its endpoint is kept in.
InterfaceRegistry::Entry gpibInterface();
