// The specification table and the new-instrument setup commands: "ps", "Ws", "WS", the
// information records "&nn...", the clock "A", the user password "K" and erasing everything
// "WXerase". Clearing the calibration factors ("CC") belongs to the calibration-factor group.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimNumbers.h"
#include "sim/SimStatus.h"

namespace {

constexpr int kMaxUserPasswordDigits = 9;

QByteArray needsSetupPassword()
{
    return statusReply(SimStatus::SetupPasswordNeeded);
}

QByteArray printTable(const CommandContext &c)
{
    // Reading needs no password.
    return c.memory.specifications().printout() + statusReply(SimStatus::Ok);
}

QByteArray writeFigure(const CommandContext &c)
{
    // "Ws row,index,value". Hosts write the table after either password, so either opens it.
    if (!c.memory.inSetupMode())
        return needsSetupPassword();
    const QList<QByteArray> fields = c.argument.split(',');
    if (fields.size() != 3)
        return statusReply(SimStatus::Rejected);
    const QByteArray row = fields[0].trimmed();
    const QByteArray index = fields[1].trimmed();
    const std::optional<double> value = argumentNumber(fields[2]);
    if (!allDigits(row) || !allDigits(index) || row.size() > 3 || index.size() > 2 || !value)
        return statusReply(SimStatus::Rejected);
    if (!c.memory.specifications().setFigure(row.toInt(), index.toInt(), *value))
        return statusReply(SimStatus::OutOfRange);
    return statusReply(SimStatus::Ok);
}

QByteArray clearTable(const CommandContext &c)
{
    if (!c.memory.systemUnlocked())
        return needsSetupPassword();
    c.memory.specifications().clearFigures();
    return statusReply(SimStatus::Ok);
}

QByteArray writeRecord(const CommandContext &c)
{
    // "&05Spec ___ 08/12/26": a two-digit record number, then the record's text. A line that is
    // not of this form is some other, unknown command, and is rejected as such.
    const QByteArray number = c.argument.left(2);
    if (number.size() != 2 || !allDigits(number))
        return statusReply(SimStatus::Rejected);
    if (!c.memory.inSetupMode())
        return needsSetupPassword();
    c.memory.setRecord(number.toInt(), c.argument.mid(2));
    return statusReply(SimStatus::Ok);
}

QByteArray setClock(const CommandContext &c)
{
    // "A" and DDMMYYhhmm; the seconds start from 0. Anything else after "A" is an unknown command.
    if (!isClockSetting(c.argument))
        return statusReply(SimStatus::Rejected);
    if (!c.memory.systemUnlocked())
        return needsSetupPassword();
    return setClockFromDigits(c.memory, c.argument);
}

QByteArray setUserPassword(const CommandContext &c)
{
    if (!allDigits(c.argument) || c.argument.size() > kMaxUserPasswordDigits)
        return statusReply(SimStatus::Rejected);
    if (!c.memory.systemUnlocked())
        return needsSetupPassword();
    c.memory.setUserPassword(c.argument);
    return statusReply(SimStatus::Ok);
}

QByteArray eraseEverything(const CommandContext &c)
{
    if (!c.memory.systemUnlocked())
        return needsSetupPassword();
    // The instrument starts erasing at once without a word, hears nothing for several minutes
    // and comes back out of setup mode.
    c.memory.erase();
    restartFor(c.memory, c.memory.eraseMs());
    return {};
}

} // namespace

void registerSpecSetupCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("ps", printTable);
    interpreter.addPrefixCommand("Ws", writeFigure);
    interpreter.addCommand("WS", clearTable);
    interpreter.addPrefixCommand("&", writeRecord);
    interpreter.addPrefixCommand("A", setClock);
    interpreter.addPrefixCommand("K", setUserPassword);
    interpreter.addCommand("WXerase", eraseEverything);
}
