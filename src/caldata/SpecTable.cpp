#include "caldata/SpecTable.h"

namespace {

// The seven frequency bands, each with a "reading" and a "range" column.
const char *const kBands[] = {"(DC-40Hz)",   "(40-200Hz)", "(200-1kHz)", "(1-2kHz)",
                              "(2-20kHz)", "(20-100kHz)", "(100kHz+)"};

} // namespace

SpecTable::SpecTable(QObject *parent) : QObject(parent)
{
    initGrid();
}

void SpecTable::setText(int row, int column, const QString &text)
{
    setCell(row, column, text, state(row, column));
}

void SpecTable::setState(int row, int column, CellState state)
{
    setCell(row, column, text(row, column), state);
}

void SpecTable::setCell(int row, int column, const QString &text, CellState state)
{
    if (m_grid.set(row, column, text, state))
        emit cellChanged(row, column);
}

bool SpecTable::commit(int row, int column, const QString &text)
{
    if (!contains(row, column) || this->text(row, column) == text)
        return false;
    setCell(row, column, text, CellState::Pending);
    return true;
}

void SpecTable::initGrid()
{
    m_grid.reset(kInitialRows, kColumns);
    for (int column = 1; column < kColumns; ++column)
        m_grid.set(0, column, headerText(column), CellState::InStep);
    emit tableReset();
}

bool SpecTable::ensureRow(int row)
{
    if (row < 0 || row >= kMaxRows)
        return false;
    if (row < rowCount())
        return true;
    m_grid.resizeRows(row + 1);
    emit tableReset();
    return true;
}

int SpecTable::pendingCount() const
{
    return m_grid.countWithText(CellState::Pending);
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
