#pragma once

#include "instrument/InstrumentChannel.h"

#include <QObject>
#include <QString>

#include <vector>

class Prompts;

/**
 * @brief What the procedures that adjust a function's factors by hand (power, kV amplifier)
 * share: the texts of the window's factor boxes and measured value, and the way their commands
 * go to the instrument, each answered up to its status line.
 *
 * The boxes hold texts, not numbers: a factor goes to the instrument as the engineer typed it.
 */
class AdjustmentProcedure : public QObject
{
public:
    QString factorText(int index) const { return m_factors.at(size_t(index)); }
    /// Takes a box's text; an index without a box is ignored.
    void setFactorText(int index, const QString &text);
    QString measuredText() const { return m_measured; }
    void setMeasuredText(const QString &text) { m_measured = text; }

protected:
    AdjustmentProcedure(InstrumentChannel &channel, Prompts &prompts, int factorBoxes, QObject *parent);

    /// One command, its answer awaited up to the status line for `timeout` seconds of silence.
    QString send(const QString &command, int timeout) const;

    InstrumentChannel &m_channel;
    Prompts &m_prompts;
    std::vector<QString> m_factors;
    QString m_measured;
};
