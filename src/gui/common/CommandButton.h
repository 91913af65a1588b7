#pragma once

#include <QString>

class QPushButton;
class QWidget;

/// A push button named after its handler ("Command_Locate") that Enter in one of its window's
/// boxes does not press: the boxes send what was typed on Enter, and nothing more may happen.
QPushButton *commandButton(const QString &caption, const QString &name, QWidget *parent = nullptr);
