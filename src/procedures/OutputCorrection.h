#pragma once

#include "instrument/InstrumentChannel.h"
#include "procedures/AdjustmentRecording.h"
#include "procedures/FigureInput.h"
#include "procedures/InputBox.h"
#include "procedures/LatchControl.h"

#include <QString>

#include <array>

class Prompts;

/**
 * @brief The output correction and diagnostics service tool behind its window: reads and writes
 * the three AC output correction factors, sends single hardware diagnostic settings, and writes
 * one byte to a hardware latch once the engineer has confirmed the warning.
 *
 * Diagnostic and latch commands are not acknowledged by the calibrator, so they are sent
 * without waiting and a refusal gives no sign here.
 */
class OutputCorrection
{
public:
    static inline const QString Title = QStringLiteral("Output Correction");
    static constexpr int kFactorTimeoutSeconds = 5;
    static constexpr int kDiagnosticTimeoutSeconds = 10;
    /// The three factor commands in the order they are read and written.
    static inline const std::array<QString, 3> FactorCommands = {
        QStringLiteral("AC_HF_FACTOR"), QStringLiteral("AC_LF_FACTOR"), QStringLiteral("AC_LIN_FACTOR")};
    /// The boxes of the three factors as the window names them.
    static inline const std::array<QString, 3> FactorCaptions = {
        QStringLiteral("AC HF Factor"), QStringLiteral("AC LF Factor"), QStringLiteral("AC Linearity Factor")};

    OutputCorrection(InstrumentChannel &channel, Prompts &prompts);

    /// Queries the three factors ("... ?") and returns line 0 of each reply, whatever it holds.
    /// Factors already received are returned even when a later query fails; a failure is
    /// reported as "Error reading " and its description.
    std::array<QString, 3> readFactors(const std::array<QString, 3> &current);
    // The steps that send a typed figure return the box they refused (then nothing was sent).

    /// Reads the three texts as numbers in full, then sends them as typed (blanks and line
    /// breaks aside), always all three, in order; the status line names any the instrument
    /// refused. The change journal records what the instrument held and what a reading after
    /// the last one found; a journal that cannot be written keeps every factor from going.
    RefusedBox writeFactors(const std::array<QString, 3> &texts);

    /// One diagnostic row: its prefix and the text read as a number in full.
    RefusedBox sendDiagnostic(int row, const QString &text);

    LatchControl::Kind latchKind() const { return m_kind; }
    void setLatchKind(LatchControl::Kind kind) { m_kind = kind; }
    /// Asks the warning question; on Yes the latch write stays enabled for this window's life.
    bool enableLatchWrite();
    bool latchWriteEnabled() const { return m_latchEnabled; }
    /// Checks the number and data and sends the latch command, or shows why not.
    RefusedBox setLatch(const QString &numberText, const QString &dataText);

    /// What became of the last step that sent something: the factors set or refused, a
    /// diagnostic or latch command sent.
    QString status() const { return m_status; }

    /// The change journal's record of the factors set.
    AdjustmentRecording &recording() { return m_recording; }

private:
    /// The factors belong to no range of the instrument; the journal names them range 0.
    static constexpr int kNoRange = 0;

    /// The three factors as the instrument answers them now, each empty when the answer held no
    /// value. Silent: the caller reports what went wrong.
    QStringList listFactors();
    /// Says so when the exchange found no instrument to send to; true then.
    bool reportMissingInstrument(const ExchangeReply &reply) const;

    InstrumentChannel &m_channel;
    Prompts &m_prompts;
    FigureInput m_input;
    QString m_status;
    LatchControl::Kind m_kind = LatchControl::Kind::Main;
    bool m_latchEnabled = false;
    AdjustmentRecording m_recording;
};
