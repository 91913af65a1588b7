#include "caldata/CalFactorTable.h"

#include "instrument/RangeNames.h"

namespace {

// The four factors every range has come before the AC frequency points.
const char *const kFixedHeadings[] = {"Positive", "Negative", "Zero", "Misc"};
constexpr int kFirstFrequencyColumn = 5;
// The grid offers 30 frequency-point columns; the instrument names only the first 25.
constexpr int kFrequencyColumns = 30;

} // namespace

CalFactorTable::CalFactorTable(QObject *parent) : CellTable(parent)
{
    reset(kInitialRows, kInitialColumns);
}

QString CalFactorTable::rangeLabel(int range)
{
    return QStringLiteral("%1: ").arg(range, 3, 10, QLatin1Char('0')) + RangeName(range);
}

QString CalFactorTable::headerText(int column)
{
    if (column >= 1 && column < kFirstFrequencyColumn)
        return QString::fromLatin1(kFixedHeadings[column - 1]);
    if (column >= kFirstFrequencyColumn && column < kFirstFrequencyColumn + kFrequencyColumns)
        return FrequencyName(column - kFirstFrequencyColumn + 1);
    return {};
}

int CalFactorTable::factorIndexOfColumn(int column)
{
    const int index = column - 1;
    return index >= 0 && index <= kLastFactorIndex ? index : -1;
}
