#pragma once

#include <QLoggingCategory>

/// The location layer: which ports open, what the search decided.
Q_DECLARE_LOGGING_CATEGORY(lcLocate)
