// The real-time clock setting and the calibration history.

#include "platform/Clock.h"
#include "sim/CommandGroups.h"
#include "sim/CommandInterpreter.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimStatus.h"

#include <algorithm>

namespace {

constexpr int kRangesPerLine = 16;

QByteArray setDate(const CommandContext &c)
{
    // The clock belongs to the setup data: only in setup mode entered with the system password.
    if (!c.memory.systemUnlocked())
        return statusReply(SimStatus::SetupPasswordNeeded);
    const QByteArray &digits = c.argument;
    if (digits.size() != 10 || !std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return statusReply(SimStatus::Rejected);
    auto field = [&digits](int at) { return digits.mid(at, 2).toInt(); };
    // A two-digit year: the instrument lives in this century.
    const QDate date(2000 + field(4), field(2), field(0));
    const QTime time(field(6), field(8));
    if (!date.isValid() || !time.isValid())
        return statusReply(SimStatus::OutOfRange);
    c.memory.setClock(QDateTime(date, time), systemClock().currentDateTime());
    return statusReply(SimStatus::Ok);
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
