#pragma once

#include <QString>

class QAbstractButton;
class QWidget;

/// The caption of a locator window's "Advanced" button: its arrows point the way a click moves
/// the advanced part, out (shown) or back in.
QString advancedCaption(bool shown);

/// The "Advanced" button's click: shows the advanced part when it is hidden and hides it when it
/// is shown, turning the button's arrows. True when the part is now shown.
bool toggleAdvanced(QAbstractButton *button, QWidget *part);
