#include "gui/procedures/Form_kVAmp.h"

#include "gui/common/Named.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

Form_kVAmp::Form_kVAmp(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : CalibrationWindow(QStringLiteral("kV Amplifier"), session, prompts, parent)
{
    auto *frame1 = named(new QGroupBox(QStringLiteral("kV Output"), this), "Frame1");
    m_voltage = named(new QLineEdit(frame1), "Text_V");
    m_frequency = named(new QLineEdit(frame1), "Text_Hz");
    m_frequencyLabel = named(new QLabel(QStringLiteral("Frequency"), frame1), "Label_Hz");
    auto *output = new QGridLayout(frame1);
    output->addWidget(button(QStringLiteral("Command_DC"), QStringLiteral("DC"), &Form_kVAmp::Command_DC_Click), 0, 0);
    output->addWidget(button(QStringLiteral("Command2"), QStringLiteral("AC"), &Form_kVAmp::Command2_Click), 0, 1);
    output->addWidget(button(QStringLiteral("Command_Z"), QStringLiteral("Zero"), &Form_kVAmp::Command_Z_Click), 1, 0);
    output->addWidget(button(QStringLiteral("Command_FS"), QStringLiteral("Full Scale"), &Form_kVAmp::Command_FS_Click),
                      1, 1);
    auto *voltageLabel = named(new QLabel(QStringLiteral("Voltage"), frame1), "Label1");
    voltageLabel->setBuddy(m_voltage);
    m_frequencyLabel->setBuddy(m_frequency);
    output->addWidget(voltageLabel, 2, 0);
    output->addWidget(m_voltage, 2, 1);
    output->addWidget(m_frequencyLabel, 3, 0);
    output->addWidget(m_frequency, 3, 1);
    QAbstractButton *setOutput =
        button(QStringLiteral("Command_set"), QStringLiteral("Set"), &Form_kVAmp::Command_set_Click);
    setOutput->setAccessibleName(QStringLiteral("Set kV output"));
    output->addWidget(setOutput, 4, 0, 1, 2);
    output->addWidget(button(QStringLiteral("Command_On"), QStringLiteral("Output On"), &Form_kVAmp::Command_On_Click),
                      5, 0);
    output->addWidget(
        button(QStringLiteral("Command_Off"), QStringLiteral("Output Off"), &Form_kVAmp::Command_Off_Click), 5, 1);

    m_measured = named(new QLineEdit(this), "Text_MeasuredV");
    auto *measurement = new QVBoxLayout;
    auto *measuredLabel = named(new QLabel(QStringLiteral("Measured Voltage"), this), "Label5");
    measuredLabel->setBuddy(m_measured);
    measurement->addWidget(measuredLabel);
    measurement->addWidget(m_measured);
    measurement->addWidget(button(QStringLiteral("Command_CalcZero"), QStringLiteral("Calculate Zero Factor"),
                                  &Form_kVAmp::Command_CalcZero_Click));
    measurement->addWidget(
        button(QStringLiteral("Command1"), QStringLiteral("Calculate Full Scale Factor"), &Form_kVAmp::Command1_Click));
    measurement->addStretch(1);

    auto *frame4 = named(new QGroupBox(QStringLiteral("Calibration Factors"), this), "Frame4");
    auto *factors = new QGridLayout(frame4);
    for (int i = 0; i < 2; ++i) {
        QLineEdit *factor =
            addFactorBox(frame4, i == 0 ? QStringLiteral("Full Scale factor") : QStringLiteral("Zero factor"));
        factors->addWidget(i == 0 ? named(new QLabel(QStringLiteral("Full Scale"), frame4), "Label3")
                                  : named(new QLabel(QStringLiteral("Zero"), frame4), "Label4"),
                           i, 0);
        factors->addWidget(factor, i, 1);
        factors->addWidget(setFactorButton(i), i, 2);
    }
    factors->addWidget(
        button(QStringLiteral("Command_CalStore"), QStringLiteral("Store"), &Form_kVAmp::Command_CalStore_Click), 2, 1);
    factors->addWidget(
        button(QStringLiteral("Command_CalAbort"), QStringLiteral("Abort"), &Form_kVAmp::Command_CalAbort_Click), 2, 2);
    factors->setColumnStretch(1, 1);

    // The warning stands out while the amplifier's output may be on.
    m_highVoltage = named(new QLabel(QStringLiteral("HIGH VOLTAGE ON"), this), "Label_HighVoltage");
    m_highVoltage->setStyleSheet(QStringLiteral("QLabel { color: white; background: #c00000; font-weight: bold; "
                                                "padding: 4px; }"));
    m_highVoltage->setAlignment(Qt::AlignCenter);

    QHBoxLayout *bottom = bottomRow({}, exitButton());

    auto *layout = new QGridLayout(this);
    layout->addWidget(frame1, 0, 0);
    layout->addLayout(measurement, 0, 1);
    layout->addWidget(frame4, 1, 0, 1, 2);
    layout->addWidget(m_highVoltage, 2, 0, 1, 2);
    layout->addWidget(statusLine(), 3, 0, 1, 2);
    layout->addLayout(bottom, 4, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(5, 1);

    fromModel();
    connect(&m_model, &KvAmplifier::changed, this, [this] {
        if (!modelInUse())
            fromModel();
    });
}

void Form_kVAmp::toModel()
{
    m_model.setVoltageText(m_voltage->text());
    m_model.setFrequencyText(m_frequency->text());
    factorsToModel();
}

void Form_kVAmp::fromModel()
{
    showText(m_voltage, m_model.voltageText());
    showText(m_frequency, m_model.frequencyText());
    showText(m_measured, m_model.measuredText());
    factorsFromModel();
    // The window is in AC mode exactly while the frequency box is shown.
    m_frequency->setVisible(m_model.frequencyShown());
    m_frequencyLabel->setVisible(m_model.frequencyShown());
    m_highVoltage->setVisible(m_model.highVoltageOn());
}

QLineEdit *Form_kVAmp::boxFor(const InputBox &box)
{
    if (box.kind == InputBox::Kind::Voltage)
        return m_voltage;
    if (box.kind == InputBox::Kind::Frequency)
        return m_frequency;
    return CalibrationWindow::boxFor(box);
}

void Form_kVAmp::read_cal_factors()
{
    toModel();
    step(QStringLiteral("Read Factors"), Reads, &KvAmplifier::readFactors);
}

void Form_kVAmp::Form_Load()
{
    m_model.load();
}

void Form_kVAmp::Form_Activate()
{
    // Each activation asks the amplifier's mode (the first one puts it in DC mode); a window whose
    // instrument has no amplifier closes. Skipped while the instrument is busy with other work.
    KvAmplifier *model = &m_model;
    operations().run<bool>(
        QStringLiteral("kV Amplifier"), Writes, OperationQueue::WhenBusy::Skip,
        [model](OperationControl &) { return model->activate(); },
        [this](bool usable) {
            // The operation has ended when its outcome is heard, so the window may close (it is
            // deleted later, from the event loop).
            if (!usable)
                close();
        });
}

void Form_kVAmp::Command_DC_Click()
{
    toModel();
    step(QStringLiteral("DC"), Writes, &KvAmplifier::chooseDc);
}

void Form_kVAmp::Command2_Click()
{
    toModel();
    step(QStringLiteral("AC"), Writes, &KvAmplifier::chooseAc);
}

void Form_kVAmp::Command_Z_Click()
{
    toModel();
    step(QStringLiteral("Zero"), Writes, &KvAmplifier::zeroPoint);
}

void Form_kVAmp::Command_FS_Click()
{
    toModel();
    step(QStringLiteral("Full Scale"), Writes, &KvAmplifier::fullScalePoint);
}

void Form_kVAmp::Command_set_Click()
{
    toModel();
    step(QStringLiteral("Set"), Writes, &KvAmplifier::setOutput);
}

void Form_kVAmp::Command_On_Click()
{
    step(QStringLiteral("Output On"), Writes, &KvAmplifier::outputOn);
}

void Form_kVAmp::Command_Off_Click()
{
    step(QStringLiteral("Output Off"), Writes, &KvAmplifier::outputOff);
}

void Form_kVAmp::Command_CalcZero_Click()
{
    toModel();
    step(QStringLiteral("Calculate Zero Factor"), Writes, &KvAmplifier::calculateZero);
}

void Form_kVAmp::Command_SetCal_Click(int index)
{
    toModel();
    step(QStringLiteral("Set"), Writes, [index](KvAmplifier &model) { return model.sendFactor(index); });
}
