// The meter side: configure a function and read it.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimStatus.h"

namespace {

// Hosts send a configuration and pause briefly without waiting for an answer; an acknowledgement
// would be left in the line and taken for the reply to whatever comes next. So the configuration
// commands are silent, a malformed value included.

QByteArray configure(const CommandContext &c)
{
    bool ok = false;
    const double value = c.argument.toDouble(&ok); // "." as decimal point, whatever the locale
    if (!ok)
        return {};
    // The virtual meter reads exactly what it was set up for until someone says otherwise.
    c.memory.setMeasurement({c.command.mid(int(qstrlen("CONF:"))), value});
    c.memory.setReading(value);
    return {};
}

QByteArray selectRange(const CommandContext &c)
{
    // PRT and thermocouple ranges carry no value; the reading stays as it is.
    c.memory.setMeasurement({c.command, 0.0});
    return {};
}

QByteArray readValue(const CommandContext &c)
{
    // Scientific form with a sign on mantissa and exponent: +1.234560E+00.
    const double value = c.memory.reading();
    QByteArray text = QByteArray::number(value, 'E', 6);
    if (value >= 0 && !text.startsWith('-'))
        text.prepend('+');
    return replyLine(text);
}

} // namespace

void registerMeasurementCommands(CommandInterpreter &interpreter)
{
    for (const char *command : {"CONF:VOLTAGE:DC", "CONF:CURRENT:DC", "CONF:VOLTAGE:AC",
                                "CONF:CURRENT:AC", "CONF:RES", "CONF:FRES", "CONF:FREQ"})
        interpreter.addCommand(command, configure);
    for (const char *command : {"R60", "R61", "R62", "R64"})
        interpreter.addCommand(command, selectRange);
    interpreter.addCommand("READ?", readValue);
}
