#include "sim/SimLog.h"

Q_LOGGING_CATEGORY(lcSim, "calsetup.sim", QtWarningMsg)
