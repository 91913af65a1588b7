#pragma once

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <bitset>
#include <optional>

class InstrumentChannel;

/// One calibration event as the instrument's history reports it.
struct CalEvent
{
    static constexpr int kRangeSlots = 150;

    QDateTime eventDate;
    bool dateValid = false;
    /// Entry r is set when range number r was calibrated in this event.
    std::bitset<kRangeSlots> rangeCalibrated;
};

/**
 * @brief The calibration history read from the instrument ("CALIBRATION:HISTORY"), with the
 * rules by which the history window lists events and their ranges.
 *
 * The reply is a run of "DATE ..." lines, each starting an event, and "RANGE n,n,..." lines
 * marking ranges in the current event; keywords in any letter case, other lines ignored. Events
 * are numbered from 1 in reply order; slot 0 gathers RANGE lines that come before the first
 * DATE line and is never shown. The list shows the newest event (the last in the reply) first.
 */
class CalibrationHistory
{
public:
    static inline const QString Command = QStringLiteral("CALIBRATION:HISTORY");
    static constexpr int kTimeoutSeconds = 10;
    /// What an event without a readable date shows instead of its date.
    static inline const QString NoDate = QStringLiteral(" --- ");

    /// An empty history: slots 0 and 1, nothing marked.
    CalibrationHistory();

    static CalibrationHistory parse(const QString &reply);
    /// Sends the command and parses the reply; a time-out reads as an empty history.
    static CalibrationHistory read(InstrumentChannel &channel);

    /// Slots 0 to upperBound(); upperBound() is the larger of 1 and the number of DATE lines.
    const QList<CalEvent> &events() const { return m_slots; }
    int upperBound() const { return int(m_slots.size()) - 1; }
    /// How many DATE lines the reply held (the list shows one placeholder line when none).
    int dateLineCount() const { return m_dateLines; }

    /// One line per event, newest first: its medium date, or NoDate.
    QStringList listLines() const;
    /// The event number shown at list line p: (number of lines - p); the top line is the last
    /// event of the reply.
    int eventNumberAtLine(int line) const { return upperBound() - line; }
    /// The ranges of the event at list line p as "name (n)", ascending; empty optional when p is
    /// outside the list (the range view then stays as it was).
    std::optional<QStringList> rangeItemsAtLine(int line) const;

    /// The range items of one event, "2V DC (2)", ascending by range number.
    static QStringList rangeItems(const CalEvent &event);

private:
    QList<CalEvent> m_slots;
    int m_dateLines = 0;
};
