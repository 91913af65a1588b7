#pragma once

#include "caldata/OperationOutcome.h"
#include "cli/RunContext.h"
#include "cli/WatchedDVM.h"

/// The exit status of a table operation (backup, restore, clear) whose status line, already
/// printed, says how it went: unreachable when the line failed, 0 when done, refused otherwise.
inline int operationExit(const WatchedDVM &dvm, OperationOutcome outcome)
{
    if (dvm.failed())
        return ExitUnreachable;
    switch (outcome) {
    case OperationOutcome::Done:
        return ExitSuccess;
    case OperationOutcome::NoSetupMode:
        return dvm.noSetupModeExit();
    default:
        return ExitRefused;
    }
}
