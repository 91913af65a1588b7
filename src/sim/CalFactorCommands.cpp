// Calibration factors.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/InstrumentMemory.h"
#include "sim/RangeLayout.h"
#include "sim/SimStatus.h"

#include <algorithm>

namespace {

QByteArray printFactors(const CommandContext &c)
{
    // The range number comes as exactly three digits (range 7 is "007").
    const QByteArray &arg = c.argument;
    if (arg.size() != 3 || !std::all_of(arg.begin(), arg.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return statusReply(SimStatus::Rejected);
    const int range = arg.toInt();
    if (range < RangeLayout::kFirstRange || range > RangeLayout::kLastRange)
        return statusReply(SimStatus::OutOfRange);

    // One factor per line from index 0 upwards, then the status. A range the instrument does not
    // have prints only the status.
    QByteArray reply;
    for (qint32 factor : c.memory.factors(range))
        reply += replyLine(QByteArray::number(factor));
    return reply + statusReply(SimStatus::Ok);
}

} // namespace

void registerCalFactorCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("CAL:PRINT", printFactors);
}
