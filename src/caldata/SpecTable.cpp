#include "caldata/SpecTable.h"

namespace {

// The seven frequency bands, each with a "reading" and a "range" column.
const char *const kBands[] = {"(DC-40Hz)", "(40-200Hz)",  "(200-1kHz)", "(1-2kHz)",
                              "(2-20kHz)", "(20-100kHz)", "(100kHz+)"};

} // namespace

SpecTable::SpecTable(QObject *parent) : CellTable(parent)
{
    initGrid();
}

bool SpecTable::ensureRow(int row)
{
    if (row < 0 || row >= kMaxRows)
        return false;
    if (row >= rowCount())
        resizeRows(row + 1);
    return true;
}

void SpecTable::setVersion(const QString &version)
{
    if (m_version == version)
        return;
    m_version = version;
    emit versionChanged(m_version);
}

QString SpecTable::headerText(int column)
{
    const int index = figureIndexOfColumn(column);
    if (index < 0)
        return {};
    // Odd columns are ppm of reading, even columns ppm of range, two columns to a band.
    const QString kind = index % 2 == 0 ? QStringLiteral("ppm Reading ") : QStringLiteral("ppm Range ");
    return kind + QString::fromLatin1(kBands[index / 2]);
}

int SpecTable::figureIndexOfColumn(int column)
{
    const int index = column - 1;
    return index >= 0 && index < kFigures ? index : -1;
}
