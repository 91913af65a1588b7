#include "gui/locate/FormOptions.h"

#include "gui/common/Named.h"
#include "gui/locate/GpibBusPanel.h"
#include "gui/locate/LocationOperations.h"
#include "instrument/InterfaceType.h"
#include "locate/InterfaceOptions.h"
#include "locate/SerialSearch.h"
#include "platform/Prompts.h"
#include "session/InstrumentSession.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Interface Options");
// Where each entry of the port list keeps the one-line account of its device.
constexpr int kSummaryRole = Qt::UserRole + 1;

} // namespace

struct FormOptions::Ui
{
    QRadioButton *Option_RS232;
    QRadioButton *Option_GPIB;
    QComboBox *Combo_CommPort;
    QLabel *Label_PortDevice;
    QLineEdit *Text_GPIBAddress;
    GpibBusPanel *Frame_GPIBBus;
    QComboBox *Combo_Model;
    QLabel *Label_Status;
    QPushButton *Command_OK;
    QPushButton *Command_Cancel;
};

FormOptions::FormOptions(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : QDialog(parent),
      m_session(session),
      m_prompts(prompts),
      m_ui(new Ui),
      m_options(new InterfaceOptions(session)),
      m_operations(new LocationOperations(*this, session.operations(), prompts))
{
    setWindowTitle(kTitle);
    setModal(true);
    setMinimumWidth(320);
    Ui &ui = *m_ui;

    auto *interfaceBox = named(new QGroupBox(QStringLiteral("Instrument Interface"), this), "Frame_Interface");
    ui.Option_RS232 = named(new QRadioButton(QStringLiteral("RS-232"), interfaceBox), "Option_RS232");
    ui.Option_GPIB = named(new QRadioButton(QStringLiteral("GPIB"), interfaceBox), "Option_GPIB");
    ui.Combo_CommPort = named(new QComboBox(interfaceBox), "Combo_CommPort");
    // The chosen port's device: its kernel name now and what the adapter is; the stable name the
    // number is kept by is on the label's tooltip and the list's, being long.
    ui.Label_PortDevice = named(new QLabel(interfaceBox), "Label_PortDevice");
    ui.Label_PortDevice->setWordWrap(true);
    ui.Label_PortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui.Text_GPIBAddress = named(new QLineEdit(interfaceBox), "Text_GPIBAddress");
    ui.Text_GPIBAddress->setMaxLength(3);
    // Their captions are the radio buttons in front of them.
    ui.Combo_CommPort->setAccessibleName(QStringLiteral("RS-232 port"));
    ui.Text_GPIBAddress->setAccessibleName(QStringLiteral("GPIB address"));
    ui.Text_GPIBAddress->setToolTip(QStringLiteral("Primary address, %1 to %2")
                                        .arg(InterfaceOptions::kFirstGpibAddress)
                                        .arg(InterfaceOptions::kLastGpibAddress));
    // The bus search and the address change; it says so when there is no GPIB library or board.
    ui.Frame_GPIBBus =
        named(new GpibBusPanel(session.context().gpibBus(), prompts, *m_operations, interfaceBox), "Frame_GPIBBus");
    auto *interfaceLayout = new QFormLayout(interfaceBox);
    interfaceLayout->addRow(ui.Option_RS232, ui.Combo_CommPort);
    interfaceLayout->addRow(QString(), ui.Label_PortDevice);
    interfaceLayout->addRow(ui.Option_GPIB, ui.Text_GPIBAddress);
    interfaceLayout->addRow(ui.Frame_GPIBBus);

    auto *modelBox = named(new QGroupBox(QStringLiteral("Instrument"), this), "Frame_Model");
    ui.Combo_Model = named(new QComboBox(modelBox), "Combo_Model");
    for (const InterfaceOptions::Model &model : InterfaceOptions::models())
        ui.Combo_Model->addItem(model.caption, model.modelString);
    auto *modelLayout = new QVBoxLayout(modelBox);
    modelLayout->addWidget(ui.Combo_Model);

    auto *buttons = new QDialogButtonBox(this);
    ui.Command_OK = named(buttons->addButton(QDialogButtonBox::Ok), "Command_OK");
    ui.Command_Cancel = named(buttons->addButton(QDialogButtonBox::Cancel), "Command_Cancel");
    ui.Command_OK->setDefault(true);
    // What the window's work waits for or does.
    ui.Label_Status = m_operations->addStatusLine(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(interfaceBox);
    layout->addWidget(modelBox);
    layout->addWidget(ui.Label_Status);
    layout->addWidget(buttons);

    connect(ui.Option_RS232, &QRadioButton::toggled, this, &FormOptions::ApplyInterfaceChoice);
    connect(ui.Option_GPIB, &QRadioButton::toggled, this, &FormOptions::ApplyInterfaceChoice);
    connect(ui.Combo_CommPort, &QComboBox::currentIndexChanged, this, &FormOptions::ShowPortDevice);
    connect(ui.Command_OK, &QPushButton::clicked, this, &FormOptions::Command_OK_Click);
    connect(ui.Command_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.Frame_GPIBBus, &GpibBusPanel::addressChosen, this, [this](int address) {
        m_ui->Option_GPIB->setChecked(true);
        m_ui->Text_GPIBAddress->setText(QString::number(address));
    });
    // Cancel stays: it closes the window once the work has ended.
    connect(m_operations, &LocationOperations::workingChanged, ui.Command_OK,
            [ok = ui.Command_OK](bool working) { ok->setEnabled(!working); });

    Form_Load();
}

FormOptions::~FormOptions()
{
    delete m_options;
    delete m_ui;
}

void FormOptions::Form_Load()
{
    Ui &ui = *m_ui;
    const InterfaceOptions::Choice stored = m_options->stored();
    (stored.interfaceType == InterfaceGPIB ? ui.Option_GPIB : ui.Option_RS232)->setChecked(true);
    ui.Text_GPIBAddress->setText(stored.gpibAddress);
    ui.Combo_Model->setCurrentIndex(InterfaceOptions::modelIndexFor(stored.modelString));
    ApplyInterfaceChoice();
}

void FormOptions::showEvent(QShowEvent *event)
{
    // A USB adapter may have come or gone since the window was last open.
    FillPortList();
    QDialog::showEvent(event);
}

void FormOptions::done(int result)
{
    if (m_operations->mayClose())
        QDialog::done(result);
}

void FormOptions::FillPortList()
{
    // Each port is opened to see whether it can be: in the instrument's turn.
    InstrumentSession *session = &m_session;
    m_operations->run<QList<InterfaceOptions::OpenPort>>(
        QStringLiteral("List serial ports"),
        [session](OperationControl &) { return InterfaceOptions(*session).openPortsWithDetails(); },
        [this](const QList<InterfaceOptions::OpenPort> &ports) {
            QComboBox *combo = m_ui->Combo_CommPort;
            const int wanted = combo->count() ? combo->currentData().toInt() : m_options->stored().serialPort;
            m_openPorts.clear();
            combo->clear();
            for (const InterfaceOptions::OpenPort &port : ports) {
                m_openPorts << port.number;
                combo->addItem(SerialSearch::portEntry(port.number), port.number);
                combo->setItemData(combo->count() - 1, port.details, Qt::ToolTipRole);
                combo->setItemData(combo->count() - 1, port.device.summary(), kSummaryRole);
            }
            // A stored port that does not open is not offered, so nothing is chosen for it.
            combo->setCurrentIndex(m_openPorts.indexOf(wanted));
            ShowPortDevice();
        });
}

void FormOptions::ShowPortDevice()
{
    const QComboBox *combo = m_ui->Combo_CommPort;
    m_ui->Label_PortDevice->setText(combo->currentData(kSummaryRole).toString());
    m_ui->Label_PortDevice->setToolTip(combo->currentData(Qt::ToolTipRole).toString());
}

void FormOptions::ApplyInterfaceChoice()
{
    const bool gpib = m_ui->Option_GPIB->isChecked();
    m_ui->Combo_CommPort->setEnabled(!gpib);
    m_ui->Text_GPIBAddress->setEnabled(gpib);
}

void FormOptions::Command_OK_Click()
{
    const Ui &ui = *m_ui;
    InterfaceOptions::Choice choice;
    choice.interfaceType = ui.Option_GPIB->isChecked() ? InterfaceGPIB : InterfaceRS232;
    choice.serialPort = ui.Combo_CommPort->currentIndex() >= 0 ? ui.Combo_CommPort->currentData().toInt() : 0;
    choice.gpibAddress = ui.Text_GPIBAddress->text();
    choice.modelString = ui.Combo_Model->currentData().toString();

    // A choice that does not hold is refused here, before anything waits for the instrument:
    // nothing is changed, and the user corrects the choice or cancels.
    if (const auto wrong = InterfaceOptions::check(choice, m_openPorts); wrong != InterfaceOptions::Outcome::Applied) {
        m_prompts.message(InterfaceOptions::message(wrong), kTitle, Prompts::Icon::Warning);
        return;
    }
    InstrumentSession *session = &m_session;
    const QList<int> openPorts = m_openPorts;
    m_operations->run<InterfaceOptions::Outcome>(
        kTitle,
        [session, choice, openPorts](OperationControl &) {
            return InterfaceOptions(*session).apply(choice, openPorts);
        },
        [this](InterfaceOptions::Outcome outcome) {
            // The choice was checked above, so it was applied. The instrument is reached the new
            // way for this session even when the settings could not be stored; only the next
            // start loses it.
            if (outcome == InterfaceOptions::Outcome::SaveFailed)
                m_prompts.message(InterfaceOptions::message(outcome), kTitle, Prompts::Icon::Critical);
            accept();
        });
}
