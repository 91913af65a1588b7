#pragma once

#include <QString>

class QLineEdit;

/// The width a text box needs to show `sample` whole in its own font, with its frame and inner
/// margins: what the box's style would ask for a box of that text.
int boxWidthFor(const QLineEdit *box, const QString &sample);

/// Keeps the box at least that wide, however its layout is squeezed.
void fitBoxTo(QLineEdit *box, const QString &sample);
