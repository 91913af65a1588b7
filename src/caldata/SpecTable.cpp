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

QString SpecTable::text(int row, int column) const
{
    return contains(row, column) ? m_cells.at(indexOf(row, column)).text : QString();
}

SpecTable::CellState SpecTable::state(int row, int column) const
{
    return contains(row, column) ? m_cells.at(indexOf(row, column)).state : CellState::InStep;
}

void SpecTable::setText(int row, int column, const QString &text)
{
    if (!contains(row, column))
        return;
    setCell(row, column, text, m_cells.at(indexOf(row, column)).state);
}

void SpecTable::setState(int row, int column, CellState state)
{
    if (!contains(row, column))
        return;
    setCell(row, column, m_cells.at(indexOf(row, column)).text, state);
}

void SpecTable::setCell(int row, int column, const QString &text, CellState state)
{
    if (!contains(row, column))
        return;
    Cell &cell = m_cells[indexOf(row, column)];
    if (cell.text == text && cell.state == state)
        return;
    cell.text = text;
    cell.state = state;
    emit cellChanged(row, column);
}

bool SpecTable::commit(int row, int column, const QString &text)
{
    if (!contains(row, column) || m_cells.at(indexOf(row, column)).text == text)
        return false;
    setCell(row, column, text, CellState::Pending);
    return true;
}

void SpecTable::initGrid()
{
    m_rows = kInitialRows;
    m_cells = QList<Cell>(qsizetype(m_rows) * kColumns);
    for (int column = 1; column < kColumns; ++column)
        m_cells[indexOf(0, column)].text = headerText(column);
    emit tableReset();
}

bool SpecTable::ensureRow(int row)
{
    if (row < 0 || row >= kMaxRows)
        return false;
    if (row < m_rows)
        return true;
    m_rows = row + 1;
    m_cells.resize(qsizetype(m_rows) * kColumns);
    emit tableReset();
    return true;
}

int SpecTable::pendingCount() const
{
    int count = 0;
    for (int row = 1; row < m_rows; ++row) {
        for (int column = 1; column < kColumns; ++column) {
            const Cell &cell = m_cells.at(indexOf(row, column));
            if (cell.state == CellState::Pending && !cell.text.isEmpty())
                ++count;
        }
    }
    return count;
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
