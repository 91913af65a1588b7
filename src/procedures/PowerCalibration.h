#pragma once

#include "procedures/AdjustmentProcedure.h"

#include <QObject>
#include <QString>

class Prompts;

/**
 * @brief The power calibration procedure behind its window: drives a current range's zero or
 * full-scale point beside a fixed 10 V output, reads and sends the four power factors (full
 * scale, zero, phase at 50 Hz and at 400 Hz), works out a new full-scale factor from a measured
 * current, and stores or abandons the factors.
 *
 * It holds the texts of the window's boxes; the window shows them and hands edits back. It keeps
 * no flag of the instrument's adjust state: "a1" goes before every factor, "a2" only from
 * store() and "a0" only from abort(). Leaving sends nothing.
 */
class PowerCalibration : public AdjustmentProcedure
{
    Q_OBJECT
public:
    enum class Frequency {
        Dc = 0,
        Hz50 = 1,
        Hz200 = 2,
        FreeEntry = 3
    };

    static inline const QString Title = QStringLiteral("Power Calibration");
    static constexpr int kSetupTimeoutSeconds = 2;
    static constexpr int kCommandTimeoutSeconds = 3;
    static constexpr int kReadTimeoutSeconds = 5;
    static constexpr double kLowestFreeFrequency = 40;
    static constexpr double kHighestFreeFrequency = 400;
    /// Full scale, zero, phase at 50 Hz and phase at 400 Hz.
    static constexpr int kFactorBoxes = 4;

    PowerCalibration(InstrumentChannel &channel, Prompts &prompts, QObject *parent = nullptr);

    int rangeIndex() const { return m_range; }
    void setRangeIndex(int index);
    Frequency frequency() const { return m_frequency; }
    void setFrequency(Frequency option) { m_frequency = option; }
    QString frequencyText() const { return m_frequencyText; }
    void setFrequencyText(const QString &text) { m_frequencyText = text; }

    // The steps that send a typed figure return the box they refused (then nothing was sent).

    /// The window opens: zero point of the initial selection ("100uA", 50 Hz), then the factors.
    RefusedBox load();
    /// A range or frequency button: the zero point of the new selection, then the factors.
    RefusedBox selectRange(int index);
    RefusedBox selectFrequency(Frequency option);

    /// Sends the frequency of the selected option: "F50", "F200", or "F" and the free entry when
    /// it lies between 40 and 400 Hz (outside, the status line says why nothing went; an empty
    /// box sends nothing).
    RefusedBox sendFrequency();
    /// "B5" (DC) or "B1" then the frequency, "o10V", then "C" and the zero current.
    RefusedBox setZeroPoint();
    /// "B5" or "B1" (without re-sending the frequency), "o10V", then the full-scale current.
    RefusedBox setFullScalePoint();
    void outputOn();
    void standby();

    /// "CAL:PRINT": line i fills factor box i while i is below the reply's highest line number.
    void readFactors();
    /// The new full-scale factor into box 0, or the message "Measured value out of range".
    RefusedBox calculateFullScale();
    /// "a1" then the factor command; one repeat on "*7"; "*5" and failures reported, and the
    /// answer in the status line.
    RefusedBox sendFactor(int index);
    /// "a2", and the journal's record of the factors set since the last store or abort.
    void store();
    void abort();
    /// The instrument's range number of the selected current range and frequency.
    int rangeNumber() const;

signals:
    /// The model changed factor boxes itself (read or calculated).
    void factorsChanged();

protected:
    QString factorCaption(int index) const override;

private:
    RefusedBox setPoint(bool zero);
    bool usesFreeFrequency() const;
    /// The free entry read in full into *hz (left empty for an empty box), or the box refused.
    RefusedBox checkFreeFrequency(std::optional<double> *hz) const;

    int m_range = 0;
    Frequency m_frequency = Frequency::Hz50;
    QString m_frequencyText;
};
