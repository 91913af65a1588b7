#include "gui/procedures/Form_OutputCorrection.h"

#include "gui/common/Named.h"
#include "procedures/DiagnosticCommands.h"
#include "procedures/LatchControl.h"
#include "session/InstrumentSession.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

Form_OutputCorrection::Form_OutputCorrection(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : ProcedureWindow(OutputCorrection::Title, parent, Placement::Centred), m_model(session.channel(), prompts)
{
    m_model.recording().setConnection([&session] { return session.connectionWords(); });
    useOperations(session.operations(), prompts);
    auto *frame2 = named(new QGroupBox(QStringLiteral("Correction Factors"), this), "Frame2");
    auto *factors = new QGridLayout(frame2);
    const char *captions[] = {"AC HF Factor", "AC LF Factor", "AC Linearity Factor (quotient)"};
    for (int i = 0; i < 3; ++i) {
        m_factors[size_t(i)] = new QLineEdit(frame2);
        m_factors[size_t(i)]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        auto *caption = new QLabel(QString::fromLatin1(captions[i]), frame2);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        caption->setBuddy(m_factors[size_t(i)]);
        factors->addWidget(caption, i, 0);
        factors->addWidget(m_factors[size_t(i)], i, 1);
    }
    auto *factorButtons = new QHBoxLayout;
    factorButtons->addWidget(
        button(QStringLiteral("Command_Read"), QStringLiteral("Read"), &Form_OutputCorrection::Command_Read_Click));
    QAbstractButton *setFactors =
        button(QStringLiteral("Command_Set"), QStringLiteral("Set"), &Form_OutputCorrection::Command_Set_Click);
    setFactors->setAccessibleName(QStringLiteral("Set correction factors"));
    factorButtons->addWidget(setFactors);
    factors->addLayout(factorButtons, 3, 1);
    factors->setColumnStretch(1, 1);

    auto *frame1 = named(new QGroupBox(QStringLiteral("Diagnostics"), this), "Frame1");
    auto *diagnostics = new QGridLayout(frame1);
    for (int i = 0; i < int(DiagnosticCommands::kRows.size()); ++i) {
        m_bits[size_t(i)] = new QLineEdit(frame1);
        m_bits[size_t(i)]->setObjectName(QStringLiteral("Text_Bits(%1)").arg(i));
        // The button beside the box says what its number is for.
        m_bits[size_t(i)]->setAccessibleName(
            QStringLiteral("Value for %1").arg(QString::fromLatin1(DiagnosticCommands::kRows[size_t(i)].caption)));
        diagnostics->addWidget(m_bits[size_t(i)], i, 0);
        diagnostics->addWidget(button(QStringLiteral("Command_SetBits(%1)").arg(i),
                                      QString::fromLatin1(DiagnosticCommands::kRows[size_t(i)].caption),
                                      [this, i] { Command_SetBits_Click(i); }),
                               i, 1);
    }
    diagnostics->setColumnStretch(0, 1);

    auto *frame3 = named(new QGroupBox(QStringLiteral("Direct Latch Control"), this), "Frame3");
    m_latchType = new QButtonGroup(this);
    auto *types = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto *radio = new QRadioButton(i == 0 ? QStringLiteral("Main") : QStringLiteral("Scope"), frame3);
        radio->setObjectName(QStringLiteral("Option_LatchType(%1)").arg(i));
        m_latchType->addButton(radio, i);
        types->addWidget(radio);
    }
    types->addStretch(1);
    m_latchType->button(0)->setChecked(true);
    m_latchNumber = named(new QComboBox(frame3), "Combo_LatchNumber");
    m_latchData = named(new QLineEdit(frame3), "Text_LatchData");
    m_latchData->setMaxLength(3);
    // Bit 7 on the left, bit 0 on the right, as the byte is written.
    auto *digits = new QHBoxLayout;
    for (int i = 7; i >= 0; --i) {
        // Captioned with the bit's number; a screen reader says "Bit 7".
        m_digits[size_t(i)] = new QCheckBox(QString::number(i), frame3);
        m_digits[size_t(i)]->setObjectName(QStringLiteral("CheckDigit(%1)").arg(i));
        m_digits[size_t(i)]->setToolTip(QStringLiteral("Bit %1").arg(i));
        m_digits[size_t(i)]->setAccessibleName(QStringLiteral("Bit %1").arg(i));
        connect(m_digits[size_t(i)], &QCheckBox::clicked, this, [this, i] { CheckDigit_Click(i); });
        digits->addWidget(m_digits[size_t(i)]);
    }
    digits->addStretch(1);
    m_setLatch = button(QStringLiteral("Command_SetLatch"), QStringLiteral("Set"),
                        &Form_OutputCorrection::Command_SetLatch_Click);
    m_setLatch->setAccessibleName(QStringLiteral("Set latch"));
    m_setLatch->setEnabled(false);
    auto *latch = new QGridLayout(frame3);
    latch->addLayout(types, 0, 0, 1, 3);
    auto *numberLabel = named(new QLabel(QStringLiteral("Latch Number"), frame3), "Label4");
    numberLabel->setBuddy(m_latchNumber);
    latch->addWidget(numberLabel, 1, 0);
    latch->addWidget(m_latchNumber, 1, 1);
    auto *dataLabel = named(new QLabel(QStringLiteral("Latch Data"), frame3), "Label5");
    dataLabel->setBuddy(m_latchData);
    latch->addWidget(dataLabel, 2, 0);
    latch->addWidget(m_latchData, 2, 1);
    latch->addWidget(named(new QLabel(QStringLiteral("Data Bits"), frame3), "Label_Bits"), 3, 0);
    latch->addLayout(digits, 3, 1, 1, 2);
    latch->addWidget(
        button(QStringLiteral("CommandEnable"), QStringLiteral("Enable"), &Form_OutputCorrection::CommandEnable_Click),
        4, 1);
    latch->addWidget(m_setLatch, 4, 2);
    latch->setColumnStretch(1, 1);

    QAbstractButton *exit =
        button(QStringLiteral("Command1"), QStringLiteral("Exit"), &Form_OutputCorrection::Command1_Click);

    auto *layout = new QGridLayout(this);
    layout->addWidget(frame2, 0, 0);
    layout->addWidget(frame3, 1, 0);
    layout->addWidget(frame1, 0, 1, 2, 1);
    layout->addWidget(statusLine(), 2, 0, 1, 2);
    layout->addLayout(bottomRow({}, exit), 3, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);

    connect(m_latchType, &QButtonGroup::idClicked, this, &Form_OutputCorrection::Option_LatchType_Click);
    // Filled here as well as at load, so the list is never empty, even before the window shows.
    Option_LatchType_Click(0);
}

void Form_OutputCorrection::Form_Load()
{
    Option_LatchType_Click(m_latchType->checkedId());
}

void Form_OutputCorrection::Command_Read_Click()
{
    std::array<QString, 3> current;
    for (size_t i = 0; i < current.size(); ++i)
        current[i] = m_factors[i]->text();
    OutputCorrection *model = &m_model;
    runStep<std::array<QString, 3>>(
        QStringLiteral("Read"), false, [model, current] { return model->readFactors(current); },
        [this](std::array<QString, 3> read) {
            for (size_t i = 0; i < read.size(); ++i)
                m_factors[i]->setText(read[i]);
        });
}

void Form_OutputCorrection::Command_Set_Click()
{
    const std::array<QString, 3> typed{m_factors[0]->text(), m_factors[1]->text(), m_factors[2]->text()};
    OutputCorrection *model = &m_model;
    runStep<RefusedBox>(
        QStringLiteral("Set"), true, [model, typed] { return model->writeFactors(typed); },
        [this](RefusedBox refused) { showOutcome(refused); });
}

void Form_OutputCorrection::Command_SetBits_Click(int index)
{
    const QString typed = m_bits[size_t(index)]->text();
    OutputCorrection *model = &m_model;
    runStep<RefusedBox>(
        QStringLiteral("Set"), true, [model, index, typed] { return model->sendDiagnostic(index, typed); },
        [this](RefusedBox refused) { showOutcome(refused); });
}

void Form_OutputCorrection::showOutcome(const RefusedBox &refused)
{
    showStatus(m_model.status());
    if (!refused)
        return;
    switch (refused->kind) {
    case InputBox::Kind::Factor:
        focusRefused(m_factors.at(size_t(refused->index)));
        return;
    case InputBox::Kind::Diagnostic:
        focusRefused(m_bits.at(size_t(refused->index)));
        return;
    case InputBox::Kind::LatchData:
        focusRefused(m_latchData);
        return;
    case InputBox::Kind::LatchNumber:
        m_latchNumber->setFocus(Qt::OtherFocusReason);
        return;
    default:
        return;
    }
}

void Form_OutputCorrection::Option_LatchType_Click(int index)
{
    const auto kind = index == 1 ? LatchControl::Kind::Scope : LatchControl::Kind::Main;
    m_model.setLatchKind(kind);
    m_latchNumber->clear();
    for (int n = 0; n < LatchControl::latchCount(kind); ++n)
        m_latchNumber->addItem(QString::number(n));
    m_latchNumber->setCurrentIndex(0);
}

void Form_OutputCorrection::CheckDigit_Click(int)
{
    std::array<bool, 8> bits{};
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = m_digits[i]->isChecked();
    m_latchData->setText(QString::number(LatchControl::dataFromBits(bits)));
}

void Form_OutputCorrection::CommandEnable_Click()
{
    if (m_model.enableLatchWrite())
        m_setLatch->setEnabled(true);
}

void Form_OutputCorrection::Command_SetLatch_Click()
{
    const QString number = m_latchNumber->currentText();
    const QString data = m_latchData->text();
    OutputCorrection *model = &m_model;
    runStep<RefusedBox>(
        QStringLiteral("Set Latch"), true, [model, number, data] { return model->setLatch(number, data); },
        [this](RefusedBox refused) { showOutcome(refused); });
}
