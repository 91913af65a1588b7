#pragma once

#include <QLoggingCategory>

/// The virtual calibrator's logging category: every line heard and every reply given.
Q_DECLARE_LOGGING_CATEGORY(lcSim)
