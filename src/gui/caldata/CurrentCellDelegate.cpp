#include "gui/caldata/CurrentCellDelegate.h"

#include <QPainter>

void CurrentCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem plain(option);
    const bool current = plain.state & QStyle::State_HasFocus;
    plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected | QStyle::State_MouseOver);
    QStyledItemDelegate::paint(painter, plain, index);
    if (!current)
        return;
    painter->save();
    painter->setPen(QPen(option.palette.color(QPalette::WindowText), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
}
