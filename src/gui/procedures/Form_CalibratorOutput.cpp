#include "gui/procedures/Form_CalibratorOutput.h"

#include "gui/common/Named.h"
#include "session/InstrumentSession.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

Form_CalibratorOutput::Form_CalibratorOutput(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : ProcedureWindow(CalibratorOutput::Title, parent, Placement::Unplaced), m_model(session.channel(), &prompts)
{
    useOperations(session.operations(), prompts);
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
    layout->addWidget(statusLine(), 3, 0);
    layout->addWidget(exitButton(), 3, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);
    connect(m_setting, &QLineEdit::returnPressed, this, &Form_CalibratorOutput::Command_SetOutput_Click);
}

void Form_CalibratorOutput::Command_SetOutput_Click()
{
    const QString typed = m_setting->text();
    CalibratorOutput *model = &m_model;
    runStep<CalibratorOutput::Result>(
        QStringLiteral("Set Output"), true, [model, typed] { return model->setOutput(typed); },
        [this](CalibratorOutput::Result result) { showSetting(result); });
}

void Form_CalibratorOutput::showSetting(const CalibratorOutput::Result &result)
{
    showStatus(m_model.status());
    if (result.refused)
        focusRefused(m_setting);
    // A setting that was not taken leaves the display as it was; the status line says why.
    if (!result.display)
        return;
    const std::optional<QString> &display = result.display;
    m_displayReply = *display;
    // The whole reply is shown; its CRs become line breaks a label can show.
    QString shown = *display;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_display->setText(shown.trimmed());
}

void Form_CalibratorOutput::Command_OutputOn_Click()
{
    CalibratorOutput *model = &m_model;
    runStep(
        QStringLiteral("Output On"), true, [model] { model->outputOn(); }, [this] { showStatus(m_model.status()); });
}

void Form_CalibratorOutput::Command_Standby_Click()
{
    CalibratorOutput *model = &m_model;
    runStep(
        QStringLiteral("Standby"), true, [model] { model->standby(); }, [this] { showStatus(m_model.status()); });
}
