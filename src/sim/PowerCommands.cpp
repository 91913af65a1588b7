// The power functions: the current output beside a voltage, selected for AC or DC.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimStatus.h"

namespace {

QByteArray selectPower(OutputState::Function function, const CommandContext &c)
{
    OutputState &out = c.memory.output();
    out.function = function;
    return statusReply(SimStatus::Ok);
}

} // namespace

void registerPowerCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("B1", [](const CommandContext &c) { return selectPower(OutputState::Function::PowerAc, c); });
    interpreter.addCommand("B5", [](const CommandContext &c) { return selectPower(OutputState::Function::PowerDc, c); });
}
