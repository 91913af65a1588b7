// Identity, information, passwords and the instrument's own housekeeping.

#include "platform/Clock.h"
#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimNumbers.h"
#include "sim/SimStatus.h"

namespace {

QByteArray identity(const CommandContext &c)
{
    // One line and no status: hosts read the identity as the first line that arrives.
    const InstrumentMemory &m = c.memory;
    return replyLine(m.maker() + ',' + m.model() + ',' + m.serialNumber() + ',' + m.firmwareVersion());
}

QByteArray information(const CommandContext &c)
{
    // Version, serial number, model, then the clock's date and time on lines of their own. No
    // line but the last may hold a "*": hosts take the first line with one as the end.
    const InstrumentMemory &m = c.memory;
    const QDateTime now = m.clockAt(systemClock().currentDateTime());
    return replyLine("Version " + m.firmwareVersion()) + replyLine("S/N " + m.serialNumber()) + replyLine(m.model())
        + replyLine(now.toString(QStringLiteral("dd/MM/yyyy")).toLatin1())
        + replyLine(now.toString(QStringLiteral("HH:mm:ss")).toLatin1()) + statusReply(SimStatus::Ok);
}

QByteArray systemPassword(const CommandContext &c)
{
    // A wrong password leaves whatever mode the instrument was in.
    if (c.argument != c.memory.systemPassword())
        return statusReply(SimStatus::Rejected);
    c.memory.setSystemUnlocked(true);
    return statusReply(SimStatus::Ok);
}

QByteArray calibratePassword(const CommandContext &c)
{
    if (c.argument != c.memory.calibratePassword())
        return statusReply(SimStatus::Rejected);
    c.memory.setCalibrationUnlocked(true);
    return statusReply(SimStatus::Ok);
}

QByteArray exitPassword(const CommandContext &c)
{
    // Any single digit closes setup mode; it guards nothing, it only ends the session.
    if (c.argument.size() != 1 || !allDigits(c.argument))
        return statusReply(SimStatus::Rejected);
    c.memory.leaveSetupMode();
    return statusReply(SimStatus::Ok);
}

QByteArray local(const CommandContext &c)
{
    // Hosts send "L" right after the exit password and do not wait for it, so an answer would
    // only arrive in front of the next command's reply: the instrument says nothing.
    c.memory.setRemote(false);
    return {};
}

QByteArray reboot(const CommandContext &c)
{
    // The instrument restarts at once without a word, deaf until it is up again, and comes up
    // out of setup mode.
    restartFor(c.memory, c.memory.rebootMs());
    return {};
}

} // namespace

void registerSystemCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("*IDN?", identity);
    interpreter.addCommand("T", information);
    interpreter.addCommand("SYSTEM:PASSWORD", systemPassword);
    interpreter.addCommand("CALIBRATE:PASSWORD", calibratePassword);
    interpreter.addCommand("CAL:PASSWORD", exitPassword);
    interpreter.addCommand("L", local);
    interpreter.addCommand("SYSTEM:REBOOT", reboot);
}
