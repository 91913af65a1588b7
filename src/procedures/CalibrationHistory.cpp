#include "procedures/CalibrationHistory.h"

#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/RangeNames.h"
#include "procedures/LeadingNumber.h"
#include "procedures/LenientDate.h"

namespace {

// Range numbers the history may mark: 1 to 148. Range 149 and above, 0 and negative numbers are
// skipped, as are pieces that hold no number.
constexpr double kFirstMarkable = 0;
constexpr double kLastMarkableExclusive = 149;

} // namespace

CalibrationHistory::CalibrationHistory() : m_slots(2) {}

CalibrationHistory CalibrationHistory::parse(const QString &reply)
{
    CalibrationHistory history;
    int current = 0;
    for (const QString &line : SplitLines(reply)) {
        if (line.left(4).toUpper() == QLatin1String("DATE")) {
            ++current;
            history.m_dateLines = current;
            while (history.m_slots.size() <= current)
                history.m_slots.append(CalEvent());
            CalEvent &event = history.m_slots[current];
            const std::optional<QDateTime> date = LenientDate::parse(line.mid(4));
            event.dateValid = date.has_value();
            if (date)
                event.eventDate = *date;
            // Entry 0 of an event is never cleared: it is no range.
            for (int r = 1; r < CalEvent::kRangeSlots; ++r)
                event.rangeCalibrated.reset(r);
        } else if (line.left(5).toUpper() == QLatin1String("RANGE")) {
            CalEvent &event = history.m_slots[current];
            for (const QString &piece : SplitString(line.mid(5), QStringLiteral(","))) {
                const double value = leadingNumber(piece);
                if (value > kFirstMarkable && value < kLastMarkableExclusive)
                    event.rangeCalibrated.set(size_t(roundHalfEven(value)));
            }
        }
    }
    return history;
}

CalibrationHistory CalibrationHistory::read(InstrumentChannel &channel)
{
    return parse(channel.SendString(Command, true, kTimeoutSeconds, 1));
}

QStringList CalibrationHistory::listLines() const
{
    QStringList lines;
    for (int k = upperBound(); k >= 1; --k) {
        const CalEvent &event = m_slots.at(k);
        lines << (event.dateValid ? LenientDate::mediumForm(event.eventDate.date()) : NoDate);
    }
    return lines;
}

std::optional<QStringList> CalibrationHistory::rangeItemsAtLine(int line) const
{
    const int event = eventNumberAtLine(line);
    if (line < 0 || line >= upperBound() || event < 1)
        return std::nullopt;
    return rangeItems(m_slots.at(event));
}

QStringList CalibrationHistory::rangeItems(const CalEvent &event)
{
    QStringList items;
    for (int r = 1; r < CalEvent::kRangeSlots; ++r) {
        if (event.rangeCalibrated.test(size_t(r)))
            items << RangeName(r) + QStringLiteral(" (") + QString::number(r) + QLatin1Char(')');
    }
    return items;
}
