#include "gui/locate/Form_EthernetLocator.h"

#include "gui/app/Main.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Named.h"
#include "gui/common/ReplyText.h"
#include "gui/common/ValueGrid.h"
#include "gui/locate/AdvancedToggle.h"
#include "gui/locate/LocationOperations.h"
#include "instrument/ethernet/EthernetModuleRecord.h"
#include "locate/EthernetModuleSetup.h"
#include "session/InstrumentSession.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Ethernet-Serial Setup");
const QString kInitialIp = QStringLiteral("192.168.1.123");
constexpr int kInitialWidth = 720;

enum Column {
    ColumnIP,
    ColumnMAC,
    ColumnPort,
    ColumnDHCP,
    ColumnOwner,
    ColumnDevice,
    ColumnReply
};

QPushButton *button(const QString &caption, const char *name, QWidget *parent, const QString &toolTip = {})
{
    QPushButton *b = commandButton(caption, QLatin1String(name), parent);
    if (!toolTip.isEmpty())
        b->setToolTip(toolTip);
    return b;
}

} // namespace

struct Form_EthernetLocator::Ui
{
    QGroupBox *Frame4;
    QLabel *Label_ActiveIP;
    QLabel *Label_ActivePort;
    QLabel *Label_ActiveMAC;
    QLabel *Label_ActiveName;
    QGroupBox *Frame_Modules;
    QTreeWidget *ListView_Modules;
    QLabel *Label_Searched;
    QLineEdit *Text_Discovery;
    QPushButton *Command_SetDiscovery;
    QLineEdit *Text_ModuleAddress;
    QPushButton *Command_AddModule;
    QPushButton *Command_BroadcastFind;
    QPushButton *Command_Select;
    QPushButton *Command_Advanced;
    QPushButton *Command_Exit;
    QLabel *Label_Status;
    QGroupBox *Frame2;
    QLineEdit *Text2;
    QPlainTextEdit *Text1;
    QWidget *advancedPart;
    QPushButton *Command1;
    QGroupBox *Frame_Setup;
    QPushButton *Command_SetSerial;
    QPushButton *Command_SetName;
    QLineEdit *Text_IP;
    QPushButton *Command9;
    QPushButton *Command4;
    QPushButton *Command5;
    QPushButton *Command7;
    QPushButton *Command8;
    QPushButton *Command_Reboot;
    QList<QWidget *> commands; ///< everything an action disables (Exit stays enabled)
};

Form_EthernetLocator::Form_EthernetLocator(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : QDialog(parent),
      m_ui(new Ui),
      m_locator(std::make_shared<EthernetLocator>(session, prompts)),
      // After a reboot the modules are looked for again, in the same operation.
      m_setup(std::make_shared<EthernetModuleSetup>(session.context().ethernetModules(), prompts,
                                                    [locator = m_locator] { locator->findModules(); })),
      m_operations(new LocationOperations(*this, session.operations(), prompts))
{
    setWindowTitle(kTitle);
    setModal(true);
    Ui &ui = *m_ui;

    ui.Frame4 = named(new QGroupBox(QStringLiteral("Active Module"), this), "Frame4");
    ui.Label_ActiveIP = named(new QLabel(ui.Frame4), "Label_ActiveIP");
    ui.Label_ActivePort = named(new QLabel(ui.Frame4), "Label_ActivePort");
    ui.Label_ActiveMAC = named(new QLabel(ui.Frame4), "Label_ActiveMAC");
    ui.Label_ActiveName = named(new QLabel(ui.Frame4), "Label_ActiveName");
    QGridLayout *activeLayout = valueGrid(ui.Frame4,
                                          {{QStringLiteral("IP"), ui.Label_ActiveIP},
                                           {QStringLiteral("Port"), ui.Label_ActivePort},
                                           {QStringLiteral("MAC"), ui.Label_ActiveMAC}});
    // Owner, device and the identification, under the figures and across the frame.
    ui.Label_ActiveName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    activeLayout->addWidget(ui.Label_ActiveName, 3, 0, 1, 2);
    activeLayout->setRowStretch(4, 1);

    ui.Frame2 = named(new QGroupBox(QStringLiteral("Test Communication"), this), "Frame2");
    auto *label3 = named(new QLabel(QStringLiteral("Send Data"), ui.Frame2), "Label3");
    ui.Text2 = named(new QLineEdit(ui.Frame2), "Text2");
    label3->setBuddy(ui.Text2);
    ui.Text1 = named(new QPlainTextEdit(ui.Frame2), "Text1");
    ui.Text1->setReadOnly(true);
    ui.Text1->setAccessibleName(QStringLiteral("Replies"));
    ui.Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui.Text1->setToolTip(QStringLiteral("Click to clear"));
    ui.Text1->setMinimumWidth(280);
    auto *testLayout = new QGridLayout(ui.Frame2);
    testLayout->addWidget(label3, 0, 0);
    testLayout->addWidget(ui.Text2, 0, 1);
    testLayout->addWidget(ui.Text1, 1, 0, 1, 2);

    ui.Frame_Modules = named(new QGroupBox(QStringLiteral("Ethernet Modules"), this), "Frame_Modules");
    ui.ListView_Modules = named(new QTreeWidget(ui.Frame_Modules), "ListView_Modules");
    ui.ListView_Modules->setRootIsDecorated(false);
    ui.ListView_Modules->setAccessibleName(QStringLiteral("Ethernet modules"));
    ui.ListView_Modules->setUniformRowHeights(true);
    ui.ListView_Modules->setHeaderLabels({QStringLiteral("IP"), QStringLiteral("MAC"), QStringLiteral("Port"),
                                          QStringLiteral("DHCP"), QStringLiteral("Owner"), QStringLiteral("Device"),
                                          QStringLiteral("Reply")});
    ui.ListView_Modules->header()->setStretchLastSection(true);
    ui.Command_BroadcastFind = button(QStringLiteral("Find Modules"), "Command_BroadcastFind", ui.Frame_Modules);
    ui.Command_Select = button(QStringLiteral("Select"), "Command_Select", ui.Frame_Modules);
    ui.Command_Advanced = button(advancedCaption(false), "Command_Advanced", ui.Frame_Modules);
    ui.Command_Exit = button(QStringLiteral("Exit"), "Command_Exit", ui.Frame_Modules);
    // What the window's work waits for or does, between the buttons.
    ui.Label_Status = m_operations->addStatusLine(ui.Frame_Modules);
    auto *modulesButtons = new QHBoxLayout;
    for (QPushButton *b : {ui.Command_BroadcastFind, ui.Command_Select, ui.Command_Advanced})
        modulesButtons->addWidget(b);
    modulesButtons->addWidget(ui.Label_Status, 1);
    modulesButtons->addWidget(ui.Command_Exit);
    // Where the searches go: what was searched last, the target (empty for every interface),
    // and a module asked by its address where broadcasts do not get through.
    ui.Label_Searched = named(new QLabel(ui.Frame_Modules), "Label_Searched");
    ui.Label_Searched->setWordWrap(true);
    ui.Label_Searched->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *discoveryLabel = new QLabel(QStringLiteral("Discovery target"), ui.Frame_Modules);
    ui.Text_Discovery = named(new QLineEdit(EthernetLocator::discoveryTarget(), ui.Frame_Modules), "Text_Discovery");
    ui.Text_Discovery->setPlaceholderText(QStringLiteral("every interface"));
    ui.Text_Discovery->setToolTip(QStringLiteral("ADDRESS[:PORT] where discovery and module commands go; "
                                                 "empty searches every network interface"));
    discoveryLabel->setBuddy(ui.Text_Discovery);
    ui.Command_SetDiscovery = button(QStringLiteral("Use"), "Command_SetDiscovery", ui.Frame_Modules,
                                     QStringLiteral("Keep this target and search there"));
    auto *addressLabel = new QLabel(QStringLiteral("Module address"), ui.Frame_Modules);
    ui.Text_ModuleAddress = named(new QLineEdit(ui.Frame_Modules), "Text_ModuleAddress");
    ui.Text_ModuleAddress->setPlaceholderText(QStringLiteral("e.g. 192.168.1.123"));
    addressLabel->setBuddy(ui.Text_ModuleAddress);
    ui.Command_AddModule = button(QStringLiteral("Add"), "Command_AddModule", ui.Frame_Modules,
                                  QStringLiteral("Ask the module at this address and add it to the list"));
    auto *searchLayout = new QGridLayout;
    searchLayout->addWidget(discoveryLabel, 0, 0);
    searchLayout->addWidget(ui.Text_Discovery, 0, 1);
    searchLayout->addWidget(ui.Command_SetDiscovery, 0, 2);
    searchLayout->addWidget(addressLabel, 0, 3);
    searchLayout->addWidget(ui.Text_ModuleAddress, 0, 4);
    searchLayout->addWidget(ui.Command_AddModule, 0, 5);
    searchLayout->setColumnStretch(1, 1);
    searchLayout->setColumnStretch(4, 1);
    auto *modulesLayout = new QVBoxLayout(ui.Frame_Modules);
    modulesLayout->addWidget(ui.ListView_Modules);
    modulesLayout->addWidget(ui.Label_Searched);
    modulesLayout->addLayout(searchLayout);
    modulesLayout->addLayout(modulesButtons);

    ui.advancedPart = new QWidget(this);
    ui.Command1 = button(QStringLiteral("Flash Status LEDs"), "Command1", ui.advancedPart);
    ui.Frame_Setup = named(new QGroupBox(QStringLiteral("Setup Commands"), ui.advancedPart), "Frame_Setup");
    ui.Command_SetSerial = button(QStringLiteral("Initialise Module"), "Command_SetSerial", ui.Frame_Setup,
                                  QStringLiteral("Set communication parameters and identity to default"));
    ui.Command_SetName = button(QStringLiteral("Setup Device Name"), "Command_SetName", ui.Frame_Setup);
    ui.Text_IP = named(new QLineEdit(kInitialIp, ui.Frame_Setup), "Text_IP");
    ui.Command9 = button(QStringLiteral("Generate"), "Command9", ui.Frame_Setup,
                         QStringLiteral("Generate a random IP address based on that of this machine"));
    ui.Command4 =
        button(QStringLiteral("Set IP"), "Command4", ui.Frame_Setup, QStringLiteral("Set IP address of module"));
    ui.Command5 = button(QStringLiteral("Get IP"), "Command5", ui.Frame_Setup);
    ui.Command7 = button(QStringLiteral("DHCP on"), "Command7", ui.Frame_Setup,
                         QStringLiteral("Automatically Set IP Address of Module "));
    ui.Command8 =
        button(QStringLiteral("DHCP Off"), "Command8", ui.Frame_Setup, QStringLiteral("Manual IP Address - set above"));
    ui.Command_Reboot = button(QStringLiteral("Reboot"), "Command_Reboot", ui.Frame_Setup,
                               QStringLiteral("Reboot Module - Wait 5 seconds before reconnecting"));
    auto *setupLayout = new QGridLayout(ui.Frame_Setup);
    setupLayout->addWidget(ui.Command_SetSerial, 0, 0);
    setupLayout->addWidget(ui.Command_SetName, 0, 1);
    setupLayout->addWidget(ui.Command_Reboot, 0, 2);
    setupLayout->addWidget(ui.Text_IP, 1, 0);
    setupLayout->addWidget(ui.Command9, 1, 1);
    setupLayout->addWidget(ui.Command4, 1, 2);
    setupLayout->addWidget(ui.Command5, 1, 3);
    setupLayout->addWidget(ui.Command7, 2, 2);
    setupLayout->addWidget(ui.Command8, 2, 3);
    auto *advancedLayout = new QVBoxLayout(ui.advancedPart);
    advancedLayout->setContentsMargins(0, 0, 0, 0);
    auto *flashRow = new QHBoxLayout;
    flashRow->addWidget(ui.Command1);
    flashRow->addStretch();
    advancedLayout->addLayout(flashRow);
    advancedLayout->addWidget(ui.Frame_Setup);
    ui.advancedPart->setVisible(false);

    auto *top = new QHBoxLayout;
    top->addWidget(ui.Frame4, 2);
    top->addWidget(ui.Frame2, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ui.Frame_Modules, 1);
    layout->addWidget(ui.advancedPart);

    ui.commands = {ui.Command_BroadcastFind,
                   ui.Command_Select,
                   ui.Command_Advanced,
                   ui.ListView_Modules,
                   ui.Text_Discovery,
                   ui.Command_SetDiscovery,
                   ui.Text_ModuleAddress,
                   ui.Command_AddModule,
                   ui.Text2,
                   ui.Command1,
                   ui.Command_SetSerial,
                   ui.Command_SetName,
                   ui.Text_IP,
                   ui.Command9,
                   ui.Command4,
                   ui.Command5,
                   ui.Command7,
                   ui.Command8,
                   ui.Command_Reboot};

    // From the work, as it goes: on a thread of its own these arrive queued, as copies.
    connect(m_locator.get(), &EthernetLocator::modulesChanged, this, &Form_EthernetLocator::FillModulesList);
    connect(m_locator.get(), &EthernetLocator::activeModuleChanged, this,
            &Form_EthernetLocator::DisplayActiveEthernetModule);
    connect(m_locator.get(), &EthernetLocator::searchedChanged, ui.Label_Searched, &QLabel::setText);
    connect(m_operations, &LocationOperations::workingChanged, this, [this](bool working) {
        for (QWidget *w : std::as_const(m_ui->commands))
            w->setEnabled(!working);
    });

    connect(ui.ListView_Modules, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { SelectEthernetModule(m_ui->ListView_Modules->indexOfTopLevelItem(item)); });
    connect(ui.Command_BroadcastFind, &QPushButton::clicked, this, &Form_EthernetLocator::Command_BroadcastFind_Click);
    connect(ui.Command_Select, &QPushButton::clicked, this, &Form_EthernetLocator::Command_Select_Click);
    connect(ui.Command_Advanced, &QPushButton::clicked, this, &Form_EthernetLocator::Command_Advanced_Click);
    connect(ui.Command_Exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui.Command_SetDiscovery, &QPushButton::clicked, this, &Form_EthernetLocator::Command_SetDiscovery_Click);
    connect(ui.Command_AddModule, &QPushButton::clicked, this, &Form_EthernetLocator::Command_AddModule_Click);
    connect(ui.Command1, &QPushButton::clicked, this,
            [this] { runSetup(m_ui->Command1, [](EthernetModuleSetup &setup) { setup.flashLeds(); }); });
    connect(ui.Command_SetSerial, &QPushButton::clicked, this, [this] {
        runSetup(m_ui->Command_SetSerial, [](EthernetModuleSetup &setup) { setup.initialiseModule(); });
    });
    connect(ui.Command_SetName, &QPushButton::clicked, this,
            [this] { runSetup(m_ui->Command_SetName, [](EthernetModuleSetup &setup) { setup.setupDeviceName(); }); });
    connect(ui.Command_Reboot, &QPushButton::clicked, this,
            [this] { runSetup(m_ui->Command_Reboot, [](EthernetModuleSetup &setup) { setup.reboot(); }); });
    connect(ui.Command4, &QPushButton::clicked, this, [this] {
        const QString address = m_ui->Text_IP->text();
        runSetup(m_ui->Command4, [address](EthernetModuleSetup &setup) { setup.setIp(address); });
    });
    connect(ui.Command5, &QPushButton::clicked, this,
            [this] { runSetup(m_ui->Command5, [](EthernetModuleSetup &setup) { setup.getIp(); }); });
    connect(ui.Command7, &QPushButton::clicked, this,
            [this] { runSetup(m_ui->Command7, [](EthernetModuleSetup &setup) { setup.setDhcp(true); }); });
    connect(ui.Command8, &QPushButton::clicked, this,
            [this] { runSetup(m_ui->Command8, [](EthernetModuleSetup &setup) { setup.setDhcp(false); }); });
    // The proposal reads this computer's own address; no module is asked.
    connect(ui.Command9, &QPushButton::clicked, this, [this] {
        const QString proposal = m_setup->generateIp();
        if (!proposal.isEmpty())
            m_ui->Text_IP->setText(proposal);
    });
    ui.Text2->installEventFilter(this);
    ui.Text1->viewport()->installEventFilter(this);

    // Wide enough for the list's seven columns and a whole identification.
    resize(qMax(sizeHint().width(), kInitialWidth), sizeHint().height());
}

Form_EthernetLocator::~Form_EthernetLocator()
{
    delete m_ui;
}

void Form_EthernetLocator::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    // After the window is on the screen, so the user sees what is being searched for.
    QTimer::singleShot(0, this, &Form_EthernetLocator::Form_Load);
}

void Form_EthernetLocator::Form_Load()
{
    CenterForm(this);
    // The module in use is loaded in the same turn as the discovery, so no other window's work
    // changes it in between.
    runFind(m_ui->Command_BroadcastFind->text(), [](EthernetLocator &locator) {
        locator.loadActiveModule();
        locator.findModules();
    });
}

bool Form_EthernetLocator::isBusy() const
{
    return m_operations->isWorking();
}

void Form_EthernetLocator::done(int result)
{
    // The window's work holds no part of it, but what it finds is shown here: closing waits
    // until it is over.
    if (m_operations->mayClose())
        QDialog::done(result);
}

void Form_EthernetLocator::runFind(const QString &name, std::function<void(EthernetLocator &)> action)
{
    std::shared_ptr<EthernetLocator> locator = m_locator;
    m_operations->run(name, [locator, action = std::move(action)](OperationControl &) { action(*locator); });
}

void Form_EthernetLocator::runSetup(QPushButton *button, std::function<void(EthernetModuleSetup &)> sequence)
{
    std::shared_ptr<EthernetModuleSetup> setup = m_setup;
    m_operations->run(button->text(),
                      [setup, sequence = std::move(sequence)](OperationControl &) { sequence(*setup); });
}

void Form_EthernetLocator::Command_BroadcastFind_Click()
{
    runFind(m_ui->Command_BroadcastFind->text(), [](EthernetLocator &locator) { locator.findModules(); });
}

void Form_EthernetLocator::Command_SetDiscovery_Click()
{
    // A target that is kept is searched at once, so the list matches what the box says.
    if (m_locator->setDiscoveryTarget(m_ui->Text_Discovery->text()))
        Command_BroadcastFind_Click();
    else
        m_ui->Text_Discovery->setFocus();
}

void Form_EthernetLocator::Command_AddModule_Click()
{
    const QString address = m_ui->Text_ModuleAddress->text();
    runFind(m_ui->Command_AddModule->text(), [address](EthernetLocator &locator) { locator.addModuleAt(address); });
}

void Form_EthernetLocator::FillModulesList(const QList<EthernetLocator::Row> &rows)
{
    m_rows = rows;
    QTreeWidget *list = m_ui->ListView_Modules;
    list->clear();
    for (const EthernetLocator::Row &row : rows) {
        auto *item = new QTreeWidgetItem(list);
        item->setText(ColumnIP, row.ip.trimmed());
        item->setText(ColumnMAC, row.mac.trimmed());
        item->setText(ColumnPort, row.port);
        item->setText(ColumnDHCP, row.dhcp);
        item->setText(ColumnOwner, row.owner.trimmed());
        item->setText(ColumnDevice, row.device.trimmed());
        item->setText(ColumnReply, row.reply);
    }
    for (int c = ColumnIP; c < ColumnReply; ++c)
        list->resizeColumnToContents(c);
}

void Form_EthernetLocator::SelectEthernetModule(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    const int index = m_rows.at(row).moduleIndex;
    runFind(m_ui->Command_Select->text(), [index](EthernetLocator &locator) { locator.selectModule(index); });
}

void Form_EthernetLocator::DisplayActiveEthernetModule(const EthernetModuleRecord &module)
{
    m_ui->Label_ActiveIP->setText(module.IP);
    m_ui->Label_ActiveMAC->setText(module.MAC);
    m_ui->Label_ActivePort->setText(QString::number(module.Port));
    QString name = EthernetLocator::activeNameText(module);
    name.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_ui->Label_ActiveName->setText(name);
}

void Form_EthernetLocator::Command_Select_Click()
{
    if (QTreeWidgetItem *item = m_ui->ListView_Modules->currentItem())
        SelectEthernetModule(m_ui->ListView_Modules->indexOfTopLevelItem(item));
}

void Form_EthernetLocator::Command_Advanced_Click()
{
    toggleAdvanced(m_ui->Command_Advanced, m_ui->advancedPart);
    // The window grows by the setup part and shrinks back by it.
    layout()->activate();
    resize(width(), sizeHint().height());
}

void Form_EthernetLocator::SendTestData()
{
    const QString text = m_ui->Text2->text();
    std::shared_ptr<EthernetLocator> locator = m_locator;
    m_operations->run<QString>(
        m_ui->Frame2->title(), [locator, text](OperationControl &) { return locator->sendTestCommand(text); },
        [this](const QString &reply) { appendReply(m_ui->Text1, reply); });
}

bool Form_EthernetLocator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Text2 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SendTestData();
            return true;
        }
        if (key == Qt::Key_Escape) {
            // Escape empties the box; it does not close the window.
            m_ui->Text2->clear();
            return true;
        }
    }
    if (watched == m_ui->Text1->viewport() && event->type() == QEvent::MouseButtonPress) {
        m_ui->Text1->clear();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
