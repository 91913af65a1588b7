#pragma once

#include <QList>

/**
 * @brief The summary figures of a set of timings: median and a high percentile.
 */
struct Stats
{
    static double median(QList<double> samples);
    /// Nearest-rank percentile (p in 0..100) of the samples; 0 for none.
    static double percentile(QList<double> samples, double p);
};
