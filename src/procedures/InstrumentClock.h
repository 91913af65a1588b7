#pragma once

#include "instrument/InstrumentChannel.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

/**
 * @brief Reading and setting the calibrator's real-time clock.
 *
 * Reading sends the information query "T", whose lines 3 and 4 hold the date and the time.
 * Setting enters setup mode with the system password, sends "SYSTEM:SETDATE" with the ten
 * digits DDMMYYhhmm, re-reads the clock when the instrument took it, and always leaves setup
 * mode again.
 */
class InstrumentClock
{
public:
    static inline const QString InvalidReply = QStringLiteral("Invalid Reply");
    static constexpr int kReadTimeoutSeconds = 5;
    static constexpr int kSetTimeoutSeconds = 10;

    struct Reading
    {
        QString reply;               ///< the "T" reply as received
        ExchangeReply exchange;      ///< how the exchange ended
        std::optional<QDateTime> at; ///< the instrument's date and time, when readable
        /// The label text: the display form, or "Invalid Reply".
        QString labelText() const;
    };

    struct Setting
    {
        QString command;               ///< "SYSTEM:SETDATE ddmmyyhhmm"
        QString reply;                 ///< the instrument's answer to it
        ExchangeReply exchange;        ///< how that exchange ended
        bool accepted = false;         ///< the answer began with "*0"
        std::optional<Reading> reread; ///< the clock read back after an accepted setting
    };

    explicit InstrumentClock(InstrumentChannel &channel) : m_channel(channel) {}

    Reading read() const;
    /// Sets the clock to the day of `date` and the hour and minute of `time`.
    Setting set(const QDate &date, const QTime &time) const;

private:
    InstrumentChannel &m_channel;
};
