#pragma once

#include "instrument/InstrumentChannel.h"
#include "procedures/InputBox.h"

#include <QString>

#include <optional>

class Prompts;

/**
 * @brief Putting an output value on the calibrator: "o" and the setting as typed, then "X" for
 * the display text once the setting was taken; output on ("S0") and standby ("S1").
 *
 * A setting is a number read in full and one of the calibrator's units, with an optional
 * prefix ("10V", "1.5 mA", "100kOhm"); anything else is refused before it is sent.
 */
class CalibratorOutput
{
public:
    static constexpr int kTimeoutSeconds = 3;
    static inline const QString Title = QStringLiteral("Calibrator");

    /// Without prompts a refused setting is not reported (the command line reports it itself).
    explicit CalibratorOutput(InstrumentChannel &channel, Prompts *prompts = nullptr)
        : m_channel(channel), m_prompts(prompts)
    {
    }

    struct Result
    {
        /// The whole reply to "X" once the setting was taken.
        std::optional<QString> display;
        /// The setting's box when its text is no setting: nothing was sent.
        RefusedBox refused;
    };

    /// Checks the setting, then sends it. Only a reply that is a single success line ("*0" and
    /// CR, blanks around it aside) counts as taken: then "X" is sent and its whole reply
    /// returned. Anything else (a refusal, more lines, "TIMEOUT") returns no display, and the
    /// status line says why.
    Result setOutput(const QString &setting);
    /// The reply to the setting command, for callers that report it.
    QString lastSettingReply() const { return m_lastReply; }
    /// What became of the last setting, output on or standby.
    QString status() const { return m_status; }

    void outputOn();
    void standby();

    /// True when a reply is exactly one success line, blanks around it aside.
    static bool isSingleSuccessLine(const QString &reply);
    /// True when a text is a number in full and a unit the calibrator makes, with an optional
    /// prefix, blanks around and between them allowed.
    static bool isSetting(const QString &text);
    /// The message for a text that is no setting, naming the box.
    static QString notASettingText(const QString &text);

private:
    void report(const QString &action, const QString &done, const QString &reply);

    InstrumentChannel &m_channel;
    Prompts *m_prompts;
    QString m_lastReply;
    QString m_status;
};
