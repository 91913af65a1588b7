#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QGridLayout;
class QLabel;
class QWidget;

/// Lays out values on `frame`, one a row, each after its caption; the value column takes the
/// width to spare. The values can be selected, to be copied elsewhere.
QGridLayout *valueGrid(QWidget *frame, const QList<QPair<QString, QLabel *>> &rows);
