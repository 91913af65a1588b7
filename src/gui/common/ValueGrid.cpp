#include "gui/common/ValueGrid.h"

#include <QGridLayout>
#include <QLabel>

QGridLayout *valueGrid(QWidget *frame, const QList<QPair<QString, QLabel *>> &rows)
{
    auto *grid = new QGridLayout(frame);
    for (int row = 0; row < rows.size(); ++row) {
        QLabel *value = rows.at(row).second;
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(new QLabel(rows.at(row).first, frame), row, 0);
        grid->addWidget(value, row, 1);
    }
    grid->setColumnStretch(1, 1);
    return grid;
}
