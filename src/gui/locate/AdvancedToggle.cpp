#include "gui/locate/AdvancedToggle.h"

#include <QAbstractButton>

QString advancedCaption(bool shown)
{
    return shown ? QStringLiteral("Advanced <<") : QStringLiteral("Advanced >>");
}

bool toggleAdvanced(QAbstractButton *button, QWidget *part)
{
    const bool show = button->text().endsWith(QLatin1Char('>'));
    button->setText(advancedCaption(show));
    part->setVisible(show);
    return show;
}
