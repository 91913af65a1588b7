#include "instrument/Logging.h"

Q_LOGGING_CATEGORY(lcInstrument, "calsetup.instrument", QtWarningMsg)
