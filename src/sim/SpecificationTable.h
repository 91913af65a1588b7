#pragma once

#include <QByteArray>
#include <QList>
#include <array>

/**
 * @brief The virtual instrument's specification table: one row per range with its label and,
 * for seven frequency bands, the pair ppm of reading, ppm of range.
 *
 * The rows and their labels are the instrument's own and fixed; the figures can be written and
 * cleared. Labels use the instrument's character set, where the ohm sign is the byte 244 and the
 * micro sign the byte 228.
 */
class SpecificationTable
{
public:
    static constexpr int kFigures = 14;

    struct Row
    {
        QByteArray label; ///< "200mV DC", "1k" + ohm sign, ...
        std::array<double, kFigures> figures{};
    };

    /// The table of a freshly adjusted instrument.
    SpecificationTable();

    int rowCount() const { return int(m_rows.size()); }
    /// Row 1 is the first; an empty row outside 1 to rowCount().
    Row row(int number) const;
    /// False when there is no such row or figure.
    bool setFigure(int row, int index, double value);
    /// Every figure zero; the rows and their labels stay.
    void clearFigures();

    /// The answer to "ps": one line per row, "R" and the row number as three digits, a blank,
    /// the label, then each figure after a comma ("R001 200mV DC,015.00,..."), lines ended CR LF.
    QByteArray printout() const;
    /// A figure as the instrument prints it: at least three digits before the point and two
    /// after it ("005.00"), more after it when the value needs them.
    static QByteArray figureText(double value);

private:
    QList<Row> m_rows;
};
