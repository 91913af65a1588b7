#include "gui/procedures/Form_PowerCal.h"

#include "gui/common/Named.h"
#include "procedures/PowerRanges.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton *option(const QString &name, int index, const QString &caption, QButtonGroup *group, QWidget *parent)
{
    auto *radio = new QRadioButton(caption, parent);
    radio->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(index));
    group->addButton(radio, index);
    return radio;
}

} // namespace

Form_PowerCal::Form_PowerCal(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : CalibrationWindow(PowerCalibration::Title, session, prompts, parent)
{
    auto *frame1 = named(new QGroupBox(QStringLiteral("Current Range"), this), "Frame1");
    m_ranges = new QButtonGroup(this);
    auto *rangeLayout = new QVBoxLayout(frame1);
    for (int i = 0; i < int(kPowerRanges.size()); ++i)
        rangeLayout->addWidget(option(QStringLiteral("Option_CurrentRange"), i,
                                      QString::fromLatin1(kPowerRanges[size_t(i)].caption), m_ranges, frame1));
    m_ranges->button(0)->setChecked(true);

    auto *frame2 = named(new QGroupBox(QStringLiteral("Frequency Control"), this), "Frame2");
    m_frequencies = new QButtonGroup(this);
    auto *frequencyLayout = new QGridLayout(frame2);
    frequencyLayout->addWidget(
        option(QStringLiteral("Option_Frequency"), 0, QStringLiteral("DC"), m_frequencies, frame2), 0, 0);
    frequencyLayout->addWidget(
        option(QStringLiteral("Option_Frequency"), 1, QStringLiteral("50 Hz"), m_frequencies, frame2), 1, 0);
    frequencyLayout->addWidget(
        option(QStringLiteral("Option_Frequency"), 2, QStringLiteral("200 Hz"), m_frequencies, frame2), 2, 0);
    QRadioButton *typed = option(QStringLiteral("Option_Frequency"), 3, QString(), m_frequencies, frame2);
    // Its caption is the box beside it.
    typed->setAccessibleName(QStringLiteral("Frequency typed in Hz"));
    frequencyLayout->addWidget(typed, 3, 0);
    m_frequency = named(new QLineEdit(frame2), "Text_Frequency");
    m_frequency->setToolTip(QStringLiteral("Frequency in Hz (40 to 400); Enter sends it"));
    m_frequency->setAccessibleName(QStringLiteral("Frequency in Hz"));
    frequencyLayout->addWidget(m_frequency, 3, 1);
    frequencyLayout->addWidget(new QLabel(QStringLiteral("Hz"), frame2), 3, 2);
    m_frequencies->button(1)->setChecked(true);

    auto *frame5 = named(new QGroupBox(QStringLiteral("Output Control"), this), "Frame5");
    auto *outputLayout = new QGridLayout(frame5);
    outputLayout->addWidget(
        button(QStringLiteral("Command_SetZero"), QStringLiteral("Set Zero"), &Form_PowerCal::Command_SetZero_Click), 0,
        0);
    outputLayout->addWidget(
        button(QStringLiteral("Command_SetFS"), QStringLiteral("Set Fullscale"), &Form_PowerCal::Command_SetFS_Click),
        0, 1);
    outputLayout->addWidget(
        button(QStringLiteral("Command_OutputOn"), QStringLiteral("Output On"), &Form_PowerCal::Command_OutputOn_Click),
        1, 0);
    outputLayout->addWidget(
        button(QStringLiteral("Command_Standby"), QStringLiteral("Standby"), &Form_PowerCal::Command_Standby_Click), 1,
        1);

    for (const QString &name :
         {QStringLiteral("Full Scale factor"), QStringLiteral("Zero factor"),
          QStringLiteral("50Hz phase correction factor"), QStringLiteral("400Hz phase correction factor")})
        addFactorBox(this, name);

    auto *frame4 = named(new QGroupBox(QStringLiteral("Current Calibration Factors"), this), "Frame4");
    m_measured = named(new QLineEdit(frame4), "Text_MeasuredCurrent");
    m_measured->setAccessibleName(QStringLiteral("Measured Current"));
    fitBoxTo(m_measured, kWidestFigure);
    auto *factorLayout = new QGridLayout(frame4);
    factorLayout->addWidget(new QLabel(QStringLiteral("Full Scale"), frame4), 0, 0);
    factorLayout->addWidget(new QLabel(QStringLiteral("Zero"), frame4), 0, 2);
    factorLayout->addWidget(new QLabel(QStringLiteral("Measured Current"), frame4), 0, 4);
    factorLayout->addWidget(m_factors[0], 1, 0);
    factorLayout->addWidget(setFactorButton(0), 1, 1);
    factorLayout->addWidget(m_factors[1], 1, 2);
    factorLayout->addWidget(setFactorButton(1), 1, 3);
    factorLayout->addWidget(m_measured, 1, 4);
    factorLayout->addWidget(
        button(QStringLiteral("Command1"), QStringLiteral("Calculate FS Factor"), &Form_PowerCal::Command1_Click), 2,
        4);
    for (int column : {0, 2, 4})
        factorLayout->setColumnStretch(column, 1);

    auto *frame3 = named(new QGroupBox(QStringLiteral("Phase Correction Factors"), this), "Frame3");
    auto *phaseLayout = new QGridLayout(frame3);
    phaseLayout->addWidget(new QLabel(QStringLiteral("50Hz"), frame3), 0, 0);
    phaseLayout->addWidget(m_factors[2], 0, 1);
    phaseLayout->addWidget(setFactorButton(2), 0, 2);
    phaseLayout->addWidget(new QLabel(QStringLiteral("400Hz"), frame3), 1, 0);
    phaseLayout->addWidget(m_factors[3], 1, 1);
    phaseLayout->addWidget(setFactorButton(3), 1, 2);
    phaseLayout->setColumnStretch(1, 1);

    QAbstractButton *store =
        button(QStringLiteral("Command_CalStore"), QStringLiteral("Store"), &Form_PowerCal::Command_CalStore_Click);
    QAbstractButton *abort =
        button(QStringLiteral("Command_CalAbort"), QStringLiteral("Abort"), &Form_PowerCal::Command_CalAbort_Click);
    QHBoxLayout *bottom = bottomRow({store, abort}, exitButton());

    auto *layout = new QGridLayout(this);
    layout->addWidget(frame1, 0, 0, 2, 1);
    layout->addWidget(frame2, 0, 1);
    layout->addWidget(frame5, 1, 1);
    layout->addWidget(frame4, 2, 0, 1, 2);
    layout->addWidget(frame3, 3, 0, 1, 2);
    layout->addLayout(bottom, 4, 0, 1, 2);
    layout->addWidget(statusLine(), 5, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(6, 1);

    // Only the engineer's clicks run the handlers, not the initial selection above.
    connect(m_ranges, &QButtonGroup::idClicked, this, &Form_PowerCal::Option_CurrentRange_Click);
    connect(m_frequencies, &QButtonGroup::idClicked, this, &Form_PowerCal::Option_Frequency_Click);
    connect(m_frequency, &QLineEdit::returnPressed, this, &Form_PowerCal::Text_Frequency_KeyPress);
    connect(&m_model, &PowerCalibration::factorsChanged, this, [this] {
        if (!modelInUse())
            factorsFromModel();
    });
}

void Form_PowerCal::toModel()
{
    m_model.setRangeIndex(qMax(0, m_ranges->checkedId()));
    m_model.setFrequency(PowerCalibration::Frequency(qMax(0, m_frequencies->checkedId())));
    m_model.setFrequencyText(m_frequency->text());
    factorsToModel();
}

QLineEdit *Form_PowerCal::boxFor(const InputBox &box)
{
    return box.kind == InputBox::Kind::Frequency ? m_frequency : CalibrationWindow::boxFor(box);
}

void Form_PowerCal::set_frequency()
{
    toModel();
    step(QStringLiteral("Set Frequency"), Writes, &PowerCalibration::sendFrequency);
}

void Form_PowerCal::read_power_factors()
{
    toModel();
    step(QStringLiteral("Read Factors"), Reads, &PowerCalibration::readFactors);
}

void Form_PowerCal::Form_Load()
{
    toModel();
    step(QStringLiteral("Power Calibration"), Writes, &PowerCalibration::load);
}

void Form_PowerCal::Option_CurrentRange_Click(int index)
{
    toModel();
    step(QStringLiteral("Select Range"), Writes, [index](PowerCalibration &model) { return model.selectRange(index); });
}

void Form_PowerCal::Option_Frequency_Click(int index)
{
    toModel();
    step(QStringLiteral("Select Frequency"), Writes,
         [index](PowerCalibration &model) { return model.selectFrequency(PowerCalibration::Frequency(index)); });
}

void Form_PowerCal::Text_Frequency_KeyPress()
{
    set_frequency();
}

void Form_PowerCal::Command_SetZero_Click()
{
    toModel();
    step(QStringLiteral("Set Zero"), Writes, &PowerCalibration::setZeroPoint);
}

void Form_PowerCal::Command_SetFS_Click()
{
    toModel();
    step(QStringLiteral("Set Fullscale"), Writes, &PowerCalibration::setFullScalePoint);
}

void Form_PowerCal::Command_OutputOn_Click()
{
    step(QStringLiteral("Output On"), Writes, &PowerCalibration::outputOn);
}

void Form_PowerCal::Command_Standby_Click()
{
    step(QStringLiteral("Standby"), Writes, &PowerCalibration::standby);
}

void Form_PowerCal::Command_SetCal_Click(int index)
{
    toModel();
    step(QStringLiteral("Set"), Writes, [index](PowerCalibration &model) { return model.sendFactor(index); });
}
