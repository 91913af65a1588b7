// The real-time clock setting and the calibration history.

#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandSteps.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimStatus.h"

namespace {

constexpr int kRangesPerLine = 16;

QByteArray setDate(const CommandContext &c)
{
    // The clock belongs to the setup data: only in setup mode entered with the system password.
    if (!c.memory.systemUnlocked())
        return statusReply(SimStatus::SetupPasswordNeeded);
    if (!isClockSetting(c.argument))
        return statusReply(SimStatus::Rejected);
    return setClockFromDigits(c.memory, c.argument);
}

QByteArray history(const CommandContext &c)
{
    // Oldest event first; each a DATE line and its ranges on RANGE lines of at most 16 numbers.
    QByteArray reply;
    for (const CalibrationLog::Event &event : c.memory.calibrationLog().events()) {
        reply += replyLine("DATE " + event.date.toString(QStringLiteral("dd/MM/yyyy")).toLatin1());
        for (qsizetype from = 0; from < event.ranges.size(); from += kRangesPerLine) {
            QByteArrayList numbers;
            for (qsizetype i = from; i < qMin(from + kRangesPerLine, event.ranges.size()); ++i)
                numbers << QByteArray::number(event.ranges.at(i));
            reply += replyLine("RANGE " + numbers.join(','));
        }
    }
    return reply + statusReply(SimStatus::Ok);
}

} // namespace

void registerClockHistoryCommands(CommandInterpreter &interpreter)
{
    interpreter.addCommand("SYSTEM:SETDATE", setDate);
    interpreter.addCommand("CALIBRATION:HISTORY", history);
}
