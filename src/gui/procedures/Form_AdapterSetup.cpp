#include "gui/procedures/Form_AdapterSetup.h"

#include "gui/app/Main.h"

#include <QHBoxLayout>

Form_AdapterSetup::Form_AdapterSetup(InstrumentSession &, Prompts &, QWidget *parent)
    : ProcedureWindow(QStringLiteral("Adapter Mode Setup"), parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(button(QStringLiteral("Command_Exit"), QStringLiteral("Exit"), &Form_AdapterSetup::Command_Exit_Click));
    resize(320, 160);
}

void Form_AdapterSetup::Form_Load()
{
    CenterForm(this);
}
