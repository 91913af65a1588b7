// Calibration factors.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/RangeLayout.h"
#include "sim/SimNumbers.h"
#include "sim/SimStatus.h"

#include <limits>
#include <optional>

namespace {

/// A decimal integer with an optional sign, within the 32-bit signed range.
std::optional<qint32> parseInt32(const QByteArray &text)
{
    const QByteArray digits = text.startsWith('-') || text.startsWith('+') ? text.mid(1) : text;
    if (!allDigits(digits) || digits.size() > 10)
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

QByteArray printFactors(const CommandContext &c)
{
    // The range number comes as exactly three digits (range 7 is "007").
    const QByteArray &arg = c.argument;
    if (arg.size() != 3 || !allDigits(arg))
        return statusReply(SimStatus::Rejected);
    const int range = arg.toInt();
    if (range < RangeLayout::kFirstRange || range > RangeLayout::kLastRange)
        return statusReply(SimStatus::OutOfRange);

    // From index 0 upwards. A range the instrument does not have prints only the status.
    return factorListReply(c.memory.factors(range));
}

QByteArray setFactor(const CommandContext &c)
{
    // "CALIBRATION:SETCAL index,range,value". Factors are written in setup mode, entered with
    // either the system or the calibrate password; without it nothing is looked at.
    if (!c.memory.inSetupMode())
        return statusReply(SimStatus::CalPasswordNeeded);
    const QList<QByteArray> fields = c.argument.split(',');
    if (fields.size() != 3)
        return statusReply(SimStatus::Rejected);
    const QByteArray index = fields[0].trimmed();
    const QByteArray range = fields[1].trimmed();
    const std::optional<qint32> value = parseInt32(fields[2].trimmed());
    if (!allDigits(index) || !allDigits(range) || index.size() > 3 || range.size() > 3 || !value)
        return statusReply(SimStatus::Rejected);
    // setFactor refuses a range the instrument does not have and an index beyond the range's
    // factors, which never exceed 0-61.
    const int rangeNumber = range.toInt();
    const int factorIndex = index.toInt();
    const qint32 before = c.memory.factors(rangeNumber).value(factorIndex);
    qint32 kept = *value;
    if (c.memory.misstores(rangeNumber, factorIndex))
        kept = kept == std::numeric_limits<qint32>::max() ? kept - 1 : kept + 1;
    if (!c.memory.setFactor(rangeNumber, factorIndex, kept))
        return statusReply(SimStatus::Rejected);
    // The history names the ranges a session changed, not those merely written again.
    if (before != kept)
        c.memory.recordCalibration(rangeNumber);
    return statusReply(SimStatus::Ok);
}

QByteArray copyFactorSet(void (InstrumentMemory::*copy)(), const CommandContext &c)
{
    // Copying a whole set to or from the backup storage needs the calibrate password.
    if (!c.memory.calibrationUnlocked())
        return statusReply(SimStatus::CalPasswordNeeded);
    (c.memory.*copy)();
    return statusReply(SimStatus::Ok);
}

QByteArray clearFactors(const CommandContext &c)
{
    if (!c.memory.inSetupMode())
        return statusReply(SimStatus::CalPasswordNeeded);
    c.memory.clearFactors();
    return statusReply(SimStatus::Ok);
}

} // namespace

void registerCalFactorCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("CAL:PRINT", printFactors);
    interpreter.addCommand("CALIBRATION:SETCAL", setFactor);
    interpreter.addCommand(
        "CB", [](const CommandContext &c) { return copyFactorSet(&InstrumentMemory::backupToSecondary, c); });
    interpreter.addCommand(
        "CR", [](const CommandContext &c) { return copyFactorSet(&InstrumentMemory::restoreFromSecondary, c); });
    interpreter.addCommand("CC", clearFactors);
}
