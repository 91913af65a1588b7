#pragma once

#include "procedures/AdjustmentProcedure.h"

#include <QObject>
#include <QString>

class Prompts;

/**
 * @brief The kV amplifier calibration behind its window: checks that the amplifier is fitted,
 * sets its DC or AC output, computes the zero factor (trimmed at 1000 V) and the full-scale
 * factor (at 1500 V to 10000 V) from a measured voltage, and sends, stores or abandons them.
 *
 * It holds the texts of the window's boxes. The window is in AC mode exactly while its
 * frequency box is shown (frequencyShown()); there is no other mode.
 */
class KvAmplifier : public AdjustmentProcedure
{
    Q_OBJECT
public:
    static inline const QString Title = QStringLiteral("kV Amplifier Setup");
    static constexpr int kTimeoutSeconds = 10;
    static constexpr int kStoreTimeoutSeconds = 3;
    static constexpr int kRangeSettleMs = 300;
    static constexpr int kFactorBoxes = 2;

    KvAmplifier(InstrumentChannel &channel, Prompts &prompts, QObject *parent = nullptr);

    QString voltageText() const { return m_voltage; }
    void setVoltageText(const QString &text) { m_voltage = text; }
    QString frequencyText() const { return m_frequency; }
    void setFrequencyText(const QString &text) { m_frequency = text; }
    bool frequencyShown() const { return m_frequencyShown; }
    // Factor box 0 is the full-scale factor, box 1 the zero factor.

    /// The window is loaded: the next activation runs the presence check again.
    void load() { m_activated = false; }
    /// The window became active. The first time after load(): "D0"; "*0" starts DC mode, "*2"
    /// and anything else are reported. False when the window must close.
    bool activate();

    // The steps that send a typed figure return the box they refused (then nothing was sent).

    void chooseDc();
    void chooseAc();
    /// Nominal 1000 V (zero) or the full-scale point (6000 V AC, 10000 V DC), then set it.
    RefusedBox zeroPoint();
    RefusedBox fullScalePoint();
    /// "O" and the voltage text, and in AC mode "F" and the frequency text, each once read as a
    /// number in full.
    RefusedBox setOutput();
    /// "S0". The output counts as on unless the instrument clearly refused.
    void outputOn();
    /// "S1". The output counts as off only once the instrument confirmed it.
    void outputOff();
    /// True while the amplifier's output may be on: the window warns of high voltage.
    bool highVoltageOn() const { return m_highVoltageOn; }

    /// "CAL:PRINT": line 0 into the full-scale box, line 2 into the zero box.
    void readFactors();
    RefusedBox calculateZero();
    RefusedBox calculateFullScale();
    /// "a1", then "P" (0) or "Z" (1) with the box's text; a refusal is reported and the boxes
    /// re-read, so the refused value disappears.
    RefusedBox sendFactor(int index);
    void store();
    void abort();

signals:
    /// The model changed boxes or the mode itself.
    void changed();

protected:
    QString factorCaption(int index) const override;

private:
    /// The voltage, the measured voltage and factor box `factorIndex`, each read in full.
    RefusedBox readCalculationInputs(int factorIndex, double *nominal, double *measured, double *factor) const;
    void setHighVoltageOn(bool on);
    /// Reports a refused calculation; nominalMessage is the text for this calculation's own
    /// nominal check ("" when that check does not apply to it). True when the factor may be used.
    bool acceptCalculation(int check, const QString &nominalMessage);
    RefusedBox storeCalculated(int index, double factor);
    /// The line of the function's "CAL:PRINT" list that holds factor box `index`.
    static int factorLine(int index);

    using AdjustmentProcedure::send;
    QString send(const QString &command) const { return send(command, kTimeoutSeconds); }
    void chooseRange(const QString &rangeCommand);

    bool m_activated = false;
    QString m_voltage;
    QString m_frequency;
    /// The instrument's range number of the function adjusted ("r6" DC, "r26" AC).
    int m_rangeNumber = 6;
    bool m_frequencyShown = false;
    bool m_highVoltageOn = false;
};
