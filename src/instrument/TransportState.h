#pragma once

#include <QString>

#include <functional>

/**
 * @brief What the transports share: the time of the last command, the abort flag and the activity
 * indicator.
 *
 * A USB device that fails to open sets the abort flag, which also ends a serial line wait.
 */
class TransportState
{
public:
    /// The activity indicator, fed with the reply gathered so far while a reply is awaited.
    void showCommActivity(const QString &replySoFar) const
    {
        if (activityHook)
            activityHook(replySoFar);
    }

    /// Pause before a command: 5 ms when the last one went out at least 0.2 s ago, else 20 ms.
    void paceBeforeSend();
    void markSent();

    std::function<void(const QString &)> activityHook;
    qint64 lastSendTimeMs = -1000000;
    bool abortComms = false;

    static constexpr int kRecentSendMs = 200;
    static constexpr int kPacingAfterPauseMs = 5;
    static constexpr int kPacingBackToBackMs = 20;
    /// The receive buffer and a gathered reply never grow beyond this.
    static constexpr int kMaxReplyBytes = 1 << 20;
    /// The activity indicator is fed at least this often while waiting.
    static constexpr int kActivityStepMs = 50;
};
