#pragma once

#include "platform/TraceLine.h"

#include <QLoggingCategory>

/// The instrument layer's own diagnostics (library loading, chunks as they arrive); the trace of
/// exchanges is made of TraceRecords, not of these messages.
Q_DECLARE_LOGGING_CATEGORY(lcInstrument)
