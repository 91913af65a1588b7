#pragma once

#include "instrument/InstrumentChannel.h"
#include "procedures/AdjustmentRecording.h"
#include "procedures/FigureInput.h"
#include "procedures/InputBox.h"

#include <QObject>
#include <QString>

#include <vector>

class Prompts;

/**
 * @brief What the procedures that adjust a function's factors by hand (power, kV amplifier)
 * share: the texts of the window's factor boxes and measured value, the way their commands go to
 * the instrument, each answered up to its status line, the reading of typed figures in full, and
 * the status line that says what the instrument made of the last Set or Store.
 *
 * The boxes hold texts, not numbers: a factor goes to the instrument as the engineer typed it,
 * once it was read as a number in its entirety.
 */
class AdjustmentProcedure : public QObject
{
    Q_OBJECT
public:
    QString factorText(int index) const { return m_factors.at(size_t(index)); }
    /// Takes a box's text; an index without a box is ignored.
    void setFactorText(int index, const QString &text);
    QString measuredText() const { return m_measured; }
    void setMeasuredText(const QString &text) { m_measured = text; }

    /// What became of the last step that changed the instrument: "Zero factor set", "Zero
    /// factor refused: *5: ...", "" before any.
    QString status() const { return m_status; }

    /// The change journal's record of the factors the engineer stores.
    AdjustmentRecording &recording() { return m_recording; }

signals:
    void statusChanged(const QString &status);

protected:
    AdjustmentProcedure(InstrumentChannel &channel, Prompts &prompts, const QString &title, int factorBoxes,
                        QObject *parent);

    /// One command, its answer awaited up to the status line for `timeout` seconds of silence.
    QString send(const QString &command, int timeout) const;

    void setStatus(const QString &status);
    /// The status line for a step's answer: `done` when the instrument took it, "ACTION refused"
    /// with the status and its meaning when it refused, or that no answer came.
    void reportAnswer(const QString &action, const QString &done, const QString &reply);

    /// Before a factor goes: whether the journal can take the store's record; says why not.
    bool journalReady() const;
    /// A "CAL:PRINT" reply as the function's factors: its lines before the status line; empty when
    /// the reply did not end in a status line (then it is not the list).
    static QStringList factorListing(const QString &reply);
    /// The same, noted for the journal as the range's listing.
    void noteFactorListing(int range, const QString &reply);
    /// "a2", its answer in the status line, and the record of the session's factors, read back
    /// with "CAL:PRINT" first (only when a factor was set).
    void storeFactors(int range, int storeTimeout, int readTimeout);
    /// "a0"'s side of the record: the session's factors are gone.
    void abandonFactors() { m_recording.abandoned(); }

    /// The box's caption as its window shows it, for the message that refuses its text.
    virtual QString factorCaption(int index) const = 0;
    /// A factor box read in full, or the message naming it and nothing.
    std::optional<double> factorNumber(int index) const;
    std::optional<double> measuredNumber(const QString &caption) const;

    InstrumentChannel &m_channel;
    Prompts &m_prompts;
    FigureInput m_input;
    std::vector<QString> m_factors;
    QString m_measured;

private:
    QString m_title;
    QString m_status;
    AdjustmentRecording m_recording;
};
