#pragma once

#include "caldata/OperationOutcome.h"
#include "cli/RunContext.h"

/// The exit status of a table operation (backup, restore, clear) whose status line, already
/// printed, says how it went: unreachable when the line failed, 0 when done, refused otherwise.
inline int operationExit(RunContext &run, OperationOutcome outcome)
{
    if (run.failureReported())
        return ExitUnreachable;
    switch (outcome) {
    case OperationOutcome::Done:
        return ExitSuccess;
    case OperationOutcome::NoSetupMode:
        return run.noSetupModeExit();
    default:
        return ExitRefused;
    }
}
