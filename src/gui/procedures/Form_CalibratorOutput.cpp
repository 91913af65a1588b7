#include "gui/procedures/Form_CalibratorOutput.h"

#include "gui/common/Named.h"
#include "session/InstrumentSession.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

Form_CalibratorOutput::Form_CalibratorOutput(InstrumentSession &session, Prompts &, QWidget *parent)
    : ProcedureWindow(QStringLiteral("Calibrator"), parent, Placement::Unplaced), m_model(session.channel())
{
    m_setting = named(new QLineEdit(this), "Text_SetOutput");
    m_setting->setAccessibleName(QStringLiteral("Output to set"));
    m_display = named(new QLabel(QStringLiteral("Calibrator Display"), this), "Label_CalibratorDisplay");
    m_display->setFrameShape(QFrame::Panel);
    m_display->setFrameShadow(QFrame::Sunken);
    m_display->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_display->setMinimumHeight(48);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_setting, 0, 0);
    layout->addWidget(button(QStringLiteral("Command_SetOutput"), QStringLiteral("Set Output"),
                             &Form_CalibratorOutput::Command_SetOutput_Click),
                      0, 1);
    layout->addWidget(m_display, 1, 0, 1, 2);
    layout->addWidget(button(QStringLiteral("Command_OutputOn"), QStringLiteral("Output On"),
                             &Form_CalibratorOutput::Command_OutputOn_Click),
                      2, 0);
    layout->addWidget(button(QStringLiteral("Command_Standby"), QStringLiteral("Standby"),
                             &Form_CalibratorOutput::Command_Standby_Click),
                      2, 1);
    layout->addWidget(exitButton(), 3, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);
    connect(m_setting, &QLineEdit::returnPressed, this, &Form_CalibratorOutput::Command_SetOutput_Click);
}

void Form_CalibratorOutput::Command_SetOutput_Click()
{
    const std::optional<QString> display = m_model.setOutput(m_setting->text());
    // A setting that was not taken leaves the display as it was, without a message.
    if (!display)
        return;
    m_displayReply = *display;
    // The whole reply is shown; its CRs become line breaks a label can show.
    QString shown = *display;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_display->setText(shown.trimmed());
}
