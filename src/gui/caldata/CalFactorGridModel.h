#pragma once

#include "caldata/CalFactorTable.h"
#include "gui/caldata/HeadedGridModel.h"

#include <QPointer>

/**
 * @brief Shows a CalFactorTable in a QTableView. Pending cells are light blue and rejected ones
 * red, so the engineer sees at a glance what still has to go to the instrument and what it
 * refused.
 */
class CalFactorGridModel : public HeadedGridModel
{
    Q_OBJECT
public:
    /// Changed and still to be written: red 200, green 230, blue 250.
    static QColor pendingColor() { return QColor(200, 230, 250); }
    /// Refused by the instrument, or not a value it could take.
    static QColor rejectedColor() { return QColor(255, 0, 0); }

    explicit CalFactorGridModel(CalFactorTable *table, QObject *parent = nullptr);

protected:
    int tableRowCount() const override { return m_table ? m_table->rowCount() : 0; }
    int tableColumnCount() const override { return m_table ? m_table->columnCount() : 0; }
    QString tableText(int row, int column) const override { return m_table ? m_table->text(row, column) : QString(); }
    bool commitCell(int row, int column, const QString &text) override;
    QColor background(int row, int column) const override;

private:
    QPointer<CalFactorTable> m_table;
};
