#include "locate/LocateLogging.h"

Q_LOGGING_CATEGORY(lcLocate, "calsetup.locate", QtWarningMsg)
