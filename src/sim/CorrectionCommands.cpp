// AC output correction factors, and the service commands that set the hardware directly.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimLog.h"
#include "sim/SimNumbers.h"
#include "sim/SimStatus.h"

namespace {

constexpr ValueRange kCorrections{0.5, 1.5};

QByteArray correctionFactor(double OutputState::*factor, const CommandContext &c)
{
    OutputState &out = c.memory.output();
    if (c.argument == "?")
        return replyLine(QByteArray::number(out.*factor, 'f', 6)) + statusReply(SimStatus::Ok);
    return numericSetting(c.argument, kCorrections, [&out, factor](double value) { out.*factor = value; });
}

// The service commands answer nothing: hosts send them without waiting, and an answer would be
// left on the line for the next command's reply. A malformed one is ignored just as silently.

QByteArray diagnostic(const CommandContext &c)
{
    if (const std::optional<double> value = argumentNumber(c.argument))
        c.memory.output().diagnostics.insert(c.command, *value);
    else
        qCDebug(lcSim) << "diagnostic without a number ignored" << c.command << c.argument;
    return {};
}

template <size_t N>
QByteArray latch(std::array<int, N> OutputState::*latches, const CommandContext &c)
{
    const QList<QByteArray> fields = c.argument.split(',');
    bool numberOk = false;
    bool dataOk = false;
    const int number = fields.size() == 2 ? fields[0].trimmed().toInt(&numberOk) : -1;
    const int data = fields.size() == 2 ? fields[1].trimmed().toInt(&dataOk) : -1;
    if (numberOk && dataOk && number >= 0 && number < int(N) && data >= 0 && data <= 255)
        (c.memory.output().*latches)[size_t(number)] = data;
    else
        qCDebug(lcSim) << "latch write ignored" << c.command << c.argument;
    return {};
}

} // namespace

void registerCorrectionCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("AC_HF_FACTOR",
                           [](const CommandContext &c) { return correctionFactor(&OutputState::acHfFactor, c); });
    interpreter.addCommand("AC_LF_FACTOR",
                           [](const CommandContext &c) { return correctionFactor(&OutputState::acLfFactor, c); });
    interpreter.addCommand("AC_LIN_FACTOR",
                           [](const CommandContext &c) { return correctionFactor(&OutputState::acLinFactor, c); });
    for (const char *command :
         {"d_lowbits", "d_midbits", "d_highbits", "d_setdds", "d_powerda", "d_arda", "d_phasestep", "d_vco1", "d_vco2"})
        interpreter.addCommand(command, diagnostic);
    interpreter.addCommand("d_setlatch", [](const CommandContext &c) { return latch(&OutputState::mainLatches, c); });
    interpreter.addCommand("d_scopelatch",
                           [](const CommandContext &c) { return latch(&OutputState::scopeLatches, c); });
}
