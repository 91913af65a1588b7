#pragma once

#include "instrument/InstrumentChannel.h"

#include <QString>

#include <functional>

/**
 * @brief "Reboot": the restart command, then the information query asked again until the
 * instrument is back, so the window shows its information rather than the time-out of a query
 * sent while it was still starting.
 *
 * The instrument restarts without a word and hears nothing until it is up again. Each query that
 * goes unanswered has already waited its time-out; a route that fails at once (a bridge that
 * re-enumerates, a port that is gone for a moment) gets a pause on the process clock before the
 * next try.
 */
class InstrumentRestart
{
public:
    static inline const QString Command = QStringLiteral("SYSTEM:REBOOT");
    static inline const QString Restarting = QStringLiteral("Instrument restarting...");
    static inline const QString NoAnswer = QStringLiteral("No answer after the restart.\nPress Update to ask again.");

    static constexpr int kRebootTimeoutSeconds = 10;
    static constexpr int kQueryTimeoutSeconds = 5;
    static constexpr int kAttempts = 6;
    static constexpr int kRetryPauseMs = 1000;

    struct Result
    {
        bool answered = false; ///< the information query was answered
        QString reply;         ///< its reply text ("T" as the Information box takes it)
        int attempts = 0;      ///< queries sent
    };

    explicit InstrumentRestart(InstrumentChannel &channel) : m_channel(channel) {}

    /// Sends the restart command, then asks for the information until it is answered or
    /// kAttempts queries went without an answer. `progress` hears what the window should say
    /// meanwhile (Restarting, and on a second line which try it is once there is more than one).
    Result run(const std::function<void(const QString &)> &progress = {}) const;

private:
    InstrumentChannel &m_channel;
};
