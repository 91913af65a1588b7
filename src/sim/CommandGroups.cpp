#include "sim/CommandGroups.h"

void registerStandardCommands(CommandInterpreter &interpreter)
{
    registerSystemCommands(interpreter);
    registerMeasurementCommands(interpreter);
    registerCalFactorCommands(interpreter);
    registerClockHistoryCommands(interpreter);
    registerOutputCommands(interpreter);
    registerPowerCommands(interpreter);
    registerKvCommands(interpreter);
    registerAdjustmentCommands(interpreter);
    registerCorrectionCommands(interpreter);
}
