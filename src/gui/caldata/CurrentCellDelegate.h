#pragma once

#include <QStyledItemDelegate>

/**
 * @brief Draws a data grid's cells with their own background and marks the current cell with a
 * plain dark frame, so the grid's focus mark is never mistaken for a cell colour that carries a
 * meaning (light blue: changed and not yet written).
 */
class CurrentCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
