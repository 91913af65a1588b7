#pragma once

// The bridge interface sits in platform/, where the simulated bridge can reach it too.
#include "platform/UsbBridge.h"
