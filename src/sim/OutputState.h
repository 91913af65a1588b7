#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <array>
#include <optional>

/**
 * @brief What the virtual calibrator's output side remembers: the selected function and its
 * settings, output on or standby, the display text, the factors of the functions adjusted
 * through the adjust commands (the six power current ranges AC and DC, the kV amplifier DC and
 * AC), the AC output correction factors, and the last diagnostic and latch values.
 *
 * The adjustable functions hold four factors each, printed in slot order by a bare
 * "CAL:PRINT". Power ranges: full scale ("P"), zero ("Z"), phase at 50 Hz ("N"), phase at
 * 400 Hz ("MISCCAL"). kV amplifier: full scale ("P"), negative full scale, zero ("Z"),
 * linearity. These factors are kept apart from the range factor table.
 */
class OutputState
{
public:
    enum class Function { None, PowerAc, PowerDc, KvDc, KvAc };
    using FactorSet = std::array<qint64, 4>;

    struct Limits
    {
        qint64 low;
        qint64 high;
    };

    static constexpr int kPowerRanges = 6;

    OutputState();

    Function function = Function::None;
    /// The power current range (0 = 100 uA ... 5 = 30 A) the last current chose.
    int powerRange = 0;
    bool outputOn = false;
    /// The kV amplifier is an option; a test can take it out.
    bool kvAmplifierFitted = true;
    double voltage = 0;
    double current = 0;
    double frequency = 0;
    /// The reading part of the display, e.g. "10.0000 V"; the output state is added when shown.
    QByteArray reading = "0.00000 V";

    QByteArray displayText() const { return reading + (outputOn ? " OPER" : " STBY"); }

    bool isPower() const { return function == Function::PowerAc || function == Function::PowerDc; }
    bool isKv() const { return function == Function::KvDc || function == Function::KvAc; }

    /// The factors of the selected function; null when no adjustable function is selected.
    FactorSet *selectedFactors();
    /// The slot a factor command sets for the selected function; empty when the function has
    /// no such factor. command is "P", "Z", "N" or "MISCCAL".
    std::optional<int> slotFor(const QByteArray &command) const;
    /// The values a slot of the selected function accepts.
    Limits limits(int slot) const;
    /// The range number the history records for the selected function, 0 when none (the kV
    /// amplifier is no calibration range).
    int historyRange() const;

    // --- the adjust session: "a1" arms one factor write, "a2" keeps, "a0" goes back ---
    bool adjustArmed = false;
    /// History range numbers whose factors the open session changed.
    QSet<int> adjustedRanges;
    /// Takes the state to go back to, when no session is open yet.
    void beginAdjustSession();
    /// Drops what "a0" would go back to.
    void endAdjustSession()
    {
        m_saved.reset();
        adjustedRanges.clear();
    }
    /// Puts back the factors as they were when the session began.
    void revertAdjustSession();

    std::array<FactorSet, 2 * kPowerRanges> power{}; ///< AC ranges 0-5, then DC ranges 0-5
    FactorSet kvDc{};
    FactorSet kvAc{};

    // --- AC output correction factors, written as decimal quotients ---
    double acHfFactor = 1.0023;
    double acLfFactor = 0.99915;
    double acLinFactor = 1.00004;

    // --- service settings: the last value each diagnostic command set, and the latches ---
    QMap<QByteArray, double> diagnostics;
    std::array<int, 16> mainLatches{};
    std::array<int, 8> scopeLatches{};

private:
    struct Saved
    {
        std::array<FactorSet, 2 * kPowerRanges> power;
        FactorSet kvDc;
        FactorSet kvAc;
    };
    std::optional<Saved> m_saved;
};
