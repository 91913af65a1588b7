// The output: general settings ("o"), voltage, current and frequency, on and standby, and the
// display ("X").

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimNumbers.h"
#include "sim/SimStatus.h"

#include <QList>

namespace {

struct Unit
{
    const char *symbol;
    const char *shown;
    ValueRange range; ///< what the output makes in this unit
};

// Longer symbols first, so "Hz" is not taken for henry and "Ohm" is found whole.
const Unit kUnits[] = {
    {"Hz", "Hz", {0.1, 1e6}}, {"Ohm", "Ohm", {0, 1.1e9}}, {"V", "V", {0, 1050, true}}, {"A", "A", {0, 30, true}},
    {"R", "Ohm", {0, 1.1e9}}, {"F", "F", {1e-10, 0.11}},  {"H", "H", {1e-4, 11}},
};

const struct
{
    char symbol;
    double factor;
} kPrefixes[] = {{'p', 1e-12}, {'n', 1e-9}, {'u', 1e-6}, {'m', 1e-3}, {'k', 1e3}, {'M', 1e6}, {'G', 1e9}};

/// "10V", "1.5 mA", "-2.5e-3A", "100kOhm": a number, an optional prefix and a unit.
QByteArray outputSetting(const CommandContext &c)
{
    const QByteArray text = c.argument.trimmed();
    qsizetype end = 0;
    while (end < text.size() && (QByteArray("+-.eE0123456789").contains(text.at(end))))
        ++end;
    // An exponent letter with no digits after it belongs to no number; "E" is no unit either.
    const std::optional<double> number = argumentNumber(text.left(end));
    if (!number)
        return statusReply(SimStatus::Rejected);
    QByteArray rest = text.mid(end).trimmed();
    for (const Unit &unit : kUnits) {
        if (!rest.endsWith(unit.symbol))
            continue;
        const QByteArray prefix = rest.left(rest.size() - qstrlen(unit.symbol));
        double factor = 1;
        if (prefix.size() > 1)
            return statusReply(SimStatus::Rejected);
        if (prefix.size() == 1) {
            factor = 0;
            for (const auto &p : kPrefixes) {
                if (p.symbol == prefix.at(0))
                    factor = p.factor;
            }
            if (factor == 0)
                return statusReply(SimStatus::Rejected);
        }
        const double value = *number * factor;
        if (!unit.range.contains(value))
            return statusReply(SimStatus::OutOfRange);
        OutputState &out = c.memory.output();
        out.reading = displayValue(value, unit.shown);
        if (qstrcmp(unit.symbol, "V") == 0)
            out.voltage = value;
        else if (qstrcmp(unit.symbol, "A") == 0)
            out.current = value;
        else if (qstrcmp(unit.symbol, "Hz") == 0)
            out.frequency = value;
        return statusReply(SimStatus::Ok);
    }
    return statusReply(SimStatus::Rejected);
}

QByteArray display(const CommandContext &c)
{
    return replyLine(c.memory.output().displayText()) + statusReply(SimStatus::Ok);
}

QByteArray operate(const CommandContext &c)
{
    c.memory.output().outputOn = true;
    return statusReply(SimStatus::Ok);
}

QByteArray standby(const CommandContext &c)
{
    c.memory.output().outputOn = false;
    return statusReply(SimStatus::Ok);
}

/// "O1000": the voltage output, or the kV amplifier's when it is selected.
QByteArray voltage(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    // The amplifier makes positive voltages only.
    ValueRange range{0, 1050, !out.isKv()};
    if (out.function == OutputState::Function::KvDc)
        range.highest = 10500;
    else if (out.function == OutputState::Function::KvAc)
        range.highest = 7000;
    return numericSetting(c.argument, range, [&out](double value) {
        out.voltage = value;
        out.reading = displayValue(value, "V");
    });
}

/// Each power range takes currents up to its full scale: 100 uA, 1 mA, ... 2 A, then 30 A.
int powerRangeFor(double current)
{
    static const double kFullScales[] = {0.0001, 0.001, 0.01, 0.1, 2};
    for (int i = 0; i < OutputState::kPowerRanges - 1; ++i) {
        if (std::fabs(current) <= kFullScales[i] * (1 + 1e-9))
            return i;
    }
    return OutputState::kPowerRanges - 1;
}

/// "C0.00003": the current output in amperes; with a power function it also picks the range.
QByteArray current(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    return numericSetting(c.argument, {0, 30, true}, [&out](double value) {
        out.current = value;
        out.powerRange = powerRangeFor(value);
        out.reading = displayValue(value, "A");
    });
}

/// "F50": the output frequency in hertz.
QByteArray frequency(const CommandContext &c)
{
    OutputState &out = c.memory.output();
    ValueRange range{0.1, 1e6};
    if (out.function == OutputState::Function::PowerAc)
        range = {40, 400};
    else if (out.function == OutputState::Function::KvAc)
        range = {40, 1000};
    return numericSetting(c.argument, range, [&out](double value) { out.frequency = value; });
}

} // namespace

void registerOutputCommands(CommandInterpreter &interpreter)
{
    interpreter.addPrefixCommand("o", outputSetting);
    interpreter.addCommand("X", display);
    interpreter.addCommand("S0", operate);
    interpreter.addCommand("S1", standby);
    interpreter.addPrefixCommand("O", voltage);
    interpreter.addPrefixCommand("C", current);
    interpreter.addPrefixCommand("F", frequency);
}
