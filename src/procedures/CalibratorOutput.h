#pragma once

#include "instrument/InstrumentChannel.h"

#include <QString>

#include <optional>

/**
 * @brief Putting an output value on the calibrator: "o" and the setting as typed, then "X" for
 * the display text once the setting was taken; output on ("S0") and standby ("S1").
 */
class CalibratorOutput
{
public:
    static constexpr int kTimeoutSeconds = 3;

    explicit CalibratorOutput(InstrumentChannel &channel) : m_channel(channel) {}

    /// Sends the setting. Only a reply that is a single success line ("*0" and CR, blanks
    /// around it aside) counts as taken: then "X" is sent and its whole reply returned.
    /// Anything else (a refusal, more lines, "TIMEOUT") returns nothing.
    std::optional<QString> setOutput(const QString &setting);
    /// The reply to the setting command, for callers that report it.
    QString lastSettingReply() const { return m_lastReply; }

    void outputOn();
    void standby();

    /// True when a reply is exactly one success line, blanks around it aside.
    static bool isSingleSuccessLine(const QString &reply);

private:
    InstrumentChannel &m_channel;
    QString m_lastReply;
};
