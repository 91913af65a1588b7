#pragma once

// The interface lives in the platform layer, where the simulator can implement it too.
#include "platform/Gpib488.h"
