#include "gui/procedures/Form_AdapterSetup.h"

#include <QHBoxLayout>

Form_AdapterSetup::Form_AdapterSetup(InstrumentSession &, Prompts &, QWidget *parent)
    : ProcedureWindow(QStringLiteral("Adapter Mode Setup"), parent, Placement::Centred)
{
    auto *layout = new QHBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(exitButton());
    resize(320, 160);
}
