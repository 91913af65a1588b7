// Adjusting the selected power or kV function: "a1" arms one factor write, "P", "Z", "N" and
// "MISCCAL" write a factor, "a2" keeps the session's factors and "a0" goes back; a bare
// "CAL:PRINT" lists the selected function's four factors.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimNumbers.h"
#include "sim/SimStatus.h"

#include <cmath>

namespace {

QByteArray arm(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    if (!out.selectedFactors())
        return statusReply(SimStatus::Rejected);
    out.beginAdjustSession();
    out.adjustArmed = true;
    return statusReply(SimStatus::Ok);
}

QByteArray setFactor(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    OutputState::FactorSet *factors = out.selectedFactors();
    const std::optional<int> slot = out.slotFor(c.command);
    if (!factors || !slot)
        return statusReply(SimStatus::Rejected);
    // Each factor needs its own "a1"; without it the write is refused as unauthorised.
    if (!out.adjustArmed)
        return statusReply(SimStatus::CalPasswordNeeded);
    out.adjustArmed = false;
    const std::optional<double> value = argumentNumber(c.argument);
    if (!value)
        return statusReply(SimStatus::Rejected);
    const double rounded = std::round(*value);
    const OutputState::Limits limits = out.limits(*slot);
    if (rounded < double(limits.low) || rounded > double(limits.high))
        return statusReply(SimStatus::OutOfRange);
    (*factors)[size_t(*slot)] = qint64(rounded);
    if (const int range = out.historyRange())
        out.adjustedRanges.insert(range);
    return statusReply(SimStatus::Ok);
}

QByteArray store(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    out.adjustArmed = false;
    for (int range : std::as_const(out.adjustedRanges))
        c.memory.recordCalibration(range);
    out.endAdjustSession();
    c.memory.closeCalibrationSession();
    return statusReply(SimStatus::Ok);
}

QByteArray abandon(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    out.adjustArmed = false;
    out.revertAdjustSession();
    return statusReply(SimStatus::Ok);
}

} // namespace

void registerAdjustmentCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("a1", arm);
    interpreter.addCommand("a2", store);
    interpreter.addCommand("a0", abandon);
    for (const char *prefix : {"P", "Z", "N"})
        interpreter.addPrefixCommand(prefix, setFactor);
    interpreter.addCommand("MISCCAL", setFactor);

    // "CAL:PRINT nnn" stays with the range factor table; without a range number it lists the
    // factors of the function being adjusted, when there is one.
    const CommandInterpreter::Handler rangePrint = interpreter.handler("CAL:PRINT");
    interpreter.addCommand("CAL:PRINT", [rangePrint](const CommandContext &c) -> QByteArray {
        OutputState::FactorSet *factors = c.memory.output().selectedFactors();
        if (!c.argument.isEmpty() || !factors)
            return rangePrint ? rangePrint(c) : statusReply(SimStatus::Rejected);
        return factorListReply(*factors);
    });
}
