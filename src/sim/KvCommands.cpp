// The kV amplifier option: the presence check and its DC and AC ranges.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimStatus.h"

namespace {

QByteArray presence(const CommandContext &c)
{
    return statusReply(c.memory.output().kvAmplifierFitted ? SimStatus::Ok : SimStatus::OptionNotFitted);
}

QByteArray selectKv(OutputState::Function function, const CommandContext &c)
{
    OutputState &out = c.memory.output();
    if (!out.kvAmplifierFitted)
        return statusReply(SimStatus::OptionNotFitted);
    // Changing to the amplifier puts the output to standby first, whatever the host did.
    out.outputOn = false;
    out.function = function;
    out.voltage = 0;
    out.reading = "0.00000 V";
    return statusReply(SimStatus::Ok);
}

} // namespace

void registerKvCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("D0", presence);
    interpreter.addCommand("r6", [](const CommandContext &c) { return selectKv(OutputState::Function::KvDc, c); });
    interpreter.addCommand("r26", [](const CommandContext &c) { return selectKv(OutputState::Function::KvAc, c); });
}
