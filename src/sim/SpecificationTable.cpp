#include "sim/SpecificationTable.h"

#include <cmath>

namespace {

constexpr char kOhm = char(244);
constexpr char kMicro = char(228);

struct RowGroup
{
    const char *unitSuffix;      ///< appended to each name
    std::initializer_list<const char *> names;
    double readingPpm;           ///< ppm of reading in the lowest band
    double rangePpm;             ///< ppm of range in the lowest band
    int bands;                   ///< frequency bands the range covers (1: DC only)
};

QByteArray withSigns(const char *name)
{
    // "u" stands for the micro sign and "R" for the ohm sign in the table below.
    QByteArray text(name);
    text.replace('u', kMicro);
    text.replace('R', kOhm);
    return text;
}

const RowGroup kGroups[] = {
    {" DC", {"200mV", "2V", "20V", "200V", "1kV"}, 15, 5, 1},
    {" DC", {"200uA", "2mA", "20mA", "200mA", "2A", "30A"}, 80, 20, 1},
    {" AC", {"200mV", "2V", "20V", "200V", "1kV"}, 120, 40, 7},
    {" AC", {"200uA", "2mA", "20mA", "200mA", "2A", "30A"}, 300, 100, 5},
    {"", {"0R", "0.1R", "1R", "10R", "100R", "1kR", "10kR", "100kR", "1MR", "10MR", "100MR", "1GR"}, 40, 10, 1},
    {"", {"1nF", "10nF", "20nF", "50nF", "100nF", "1uF", "10uF", "100uF", "1mF", "10mF", "100mF"}, 2500, 500, 1},
    {"", {"1mH", "10mH", "19mH", "29mH", "50mH", "100mH", "1H", "10H"}, 5000, 1000, 1},
};

} // namespace

SpecificationTable::SpecificationTable()
{
    for (const RowGroup &group : kGroups) {
        int step = 0;
        for (const char *name : group.names) {
            Row row;
            row.label = withSigns(name) + group.unitSuffix;
            // Each higher band is looser; the lowest and highest ranges of a group a little looser
            // than the middle ones.
            const double rangeFactor = 1.0 + 0.25 * std::abs(step - int(group.names.size()) / 2);
            for (int band = 0; band < group.bands; ++band) {
                const double bandFactor = 1.0 + band * 0.75;
                row.figures[2 * band] = std::round(group.readingPpm * rangeFactor * bandFactor * 4) / 4;
                row.figures[2 * band + 1] = std::round(group.rangePpm * rangeFactor * bandFactor * 4) / 4;
            }
            m_rows.append(row);
            ++step;
        }
    }
}

SpecificationTable::Row SpecificationTable::row(int number) const
{
    if (number < 1 || number > rowCount())
        return {};
    return m_rows.at(number - 1);
}

bool SpecificationTable::setFigure(int row, int index, double value)
{
    if (row < 1 || row > rowCount() || index < 0 || index >= kFigures)
        return false;
    m_rows[row - 1].figures[index] = value;
    return true;
}

void SpecificationTable::clearFigures()
{
    for (Row &row : m_rows)
        row.figures.fill(0.0);
}

QByteArray SpecificationTable::figureText(double value)
{
    // Two decimals as a rule; as many more as it takes to give the value back exactly.
    QByteArray text;
    for (int decimals = 2; decimals <= 12; ++decimals) {
        text = QByteArray::number(std::fabs(value), 'f', decimals);
        if (text.toDouble() == std::fabs(value))
            break;
    }
    const qsizetype point = text.indexOf('.');
    if (point >= 0 && point < 3)
        text.prepend(QByteArray(3 - point, '0'));
    return value < 0 ? '-' + text : text;
}

QByteArray SpecificationTable::printout() const
{
    QByteArray out;
    for (int number = 1; number <= rowCount(); ++number) {
        const Row &r = m_rows.at(number - 1);
        QByteArray line = 'R' + QByteArray::number(number).rightJustified(3, '0') + ' ' + r.label;
        for (double figure : r.figures)
            line += ',' + figureText(figure);
        out += line + "\r\n";
    }
    return out;
}
