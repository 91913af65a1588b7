#include "Stats.h"

#include <algorithm>
#include <cmath>

double Stats::median(QList<double> samples)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const qsizetype n = samples.size();
    return n % 2 ? samples.at(n / 2) : (samples.at(n / 2 - 1) + samples.at(n / 2)) / 2;
}

double Stats::percentile(QList<double> samples, double p)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const qsizetype rank = qsizetype(std::ceil(p / 100.0 * double(samples.size())));
    return samples.at(qBound(qsizetype(0), rank - 1, samples.size() - 1));
}
