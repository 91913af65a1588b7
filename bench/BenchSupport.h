#pragma once

#include "platform/Prompts.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

/// How many times each figure is taken; set from the command line.
struct BenchOptions
{
    int exchanges = 300;  ///< short exchanges per interface
    int tableRuns = 3;    ///< full table reads at 960 characters a second (about 40 s each)
    int searchRuns = 3;   ///< serial searches of each kind
    int startupRuns = 5;  ///< start-ups of the windowed program
    int memoryRuns = 3;   ///< factor-window children
};

/**
 * @brief Prompts for the benchmark: nobody is there to answer, so every box takes its default
 * button and every file dialog is cancelled. What was shown is kept for the report.
 */
class BenchPrompts : public Prompts
{
public:
    Answer message(const QString &text, const QString &, Icon, Buttons, Answer defaultAnswer) override
    {
        shown << text;
        return defaultAnswer;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }

    QStringList shown;
};

/// Milliseconds since start, with sub-millisecond resolution.
inline double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

/// The resident memory of this process now and at its peak, in megabytes (from /proc/self/status).
double currentRssMb();
double peakRssMb();
