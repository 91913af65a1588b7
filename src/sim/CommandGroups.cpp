#include "sim/CommandGroups.h"

void registerStandardCommands(CommandInterpreter &interpreter)
{
    registerSystemCommands(interpreter);
    registerMeasurementCommands(interpreter);
    registerCalFactorCommands(interpreter);
    registerSpecSetupCommands(interpreter);
}
