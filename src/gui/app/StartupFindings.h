#pragma once

#include <QString>

/// The diagnostics' problems on this computer (or the environment put in its place), each with
/// its fix, for the start-up box that says no calibrator was found; empty when all checks pass.
QString startupFindings();
