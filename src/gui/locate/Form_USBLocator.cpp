#include "gui/locate/Form_USBLocator.h"

#include "gui/app/Main.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Named.h"
#include "gui/common/ReplyText.h"
#include "gui/common/ValueGrid.h"
#include "gui/locate/AdvancedToggle.h"
#include "gui/locate/LocationOperations.h"
#include "session/InstrumentSession.h"

#include <QEvent>
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

/// An instrument's answer in one list cell: its line ends as blanks.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

} // namespace

struct Form_USBLocator::Ui
{
    QGroupBox *Frame4;
    QLabel *Label_ActiveName;
    QLabel *Label_ActiveSerialNumber;
    QGroupBox *Frame_USB;
    QTreeWidget *ListView_USBDevices;
    QLabel *Label_Access;
    QLabel *Label_Status;
    QPushButton *Command_Locate;
    QPushButton *Command_SelectUSB;
    QPushButton *Command_Autodetect;
    QPushButton *Command_AutomaticUSB;
    QPushButton *Command_Advanced;
    QPushButton *Command_Exit;
    QGroupBox *Frame_Test;
    QLineEdit *Text1;
    QPlainTextEdit *Text2;
    QPushButton *Command_testID;
    QPushButton *Command1;
    QPushButton *Command_Clear;
};

Form_USBLocator::Form_USBLocator(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : QDialog(parent),
      m_selection(std::make_shared<UsbDeviceSelection>(session, prompts)),
      m_ui(new Ui),
      m_operations(new LocationOperations(*this, session.operations(), prompts))
{
    setWindowTitle(QStringLiteral("USB Device Detection"));
    Ui &ui = *m_ui;

    ui.Frame4 = named(new QGroupBox(QStringLiteral("Active Module"), this), "Frame4");
    ui.Label_ActiveName = named(new QLabel(ui.Frame4), "Label_ActiveName");
    ui.Label_ActiveSerialNumber = named(new QLabel(ui.Frame4), "Label_ActiveSerialNumber");
    valueGrid(ui.Frame4,
              {{QStringLiteral("Name"), ui.Label_ActiveName},
               {QStringLiteral("Serial Number"), ui.Label_ActiveSerialNumber}});

    ui.Frame_USB = named(new QGroupBox(QStringLiteral("USB"), this), "Frame_USB");
    ui.ListView_USBDevices = named(new QTreeWidget(ui.Frame_USB), "ListView_USBDevices");
    ui.ListView_USBDevices->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Serial Number"), QStringLiteral("Reply")});
    ui.ListView_USBDevices->setRootIsDecorated(false);
    ui.ListView_USBDevices->setAccessibleName(QStringLiteral("USB devices"));
    ui.ListView_USBDevices->setUniformRowHeights(true);
    ui.ListView_USBDevices->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.ListView_USBDevices->header()->setStretchLastSection(true);
    ui.ListView_USBDevices->setMinimumSize(560, 140);
    ui.Label_Access = named(new QLabel(ui.Frame_USB), "Label_Access");
    ui.Label_Access->setWordWrap(true);
    ui.Label_Access->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui.Label_Access->hide();
    // What the window's work waits for or does.
    ui.Label_Status = m_operations->addStatusLine(ui.Frame_USB);

    ui.Command_Locate =
        commandButton(QStringLiteral("List USB Devices"), QStringLiteral("Command_Locate"), ui.Frame_USB);
    ui.Command_SelectUSB =
        commandButton(QStringLiteral("Select Device"), QStringLiteral("Command_SelectUSB"), ui.Frame_USB);
    ui.Command_Autodetect =
        commandButton(QStringLiteral("Autolocate"), QStringLiteral("Command_Autodetect"), ui.Frame_USB);
    ui.Command_AutomaticUSB =
        commandButton(QStringLiteral("Automatic by Adapter ID"), QStringLiteral("Command_AutomaticUSB"), ui.Frame_USB);
    ui.Command_Advanced = commandButton(advancedCaption(false), QStringLiteral("Command_Advanced"), ui.Frame_USB);
    ui.Command_Exit = commandButton(QStringLiteral("Exit"), QStringLiteral("Command_Exit"), ui.Frame_USB);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b :
         {ui.Command_Locate, ui.Command_SelectUSB, ui.Command_Autodetect, ui.Command_AutomaticUSB, ui.Command_Advanced})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(ui.Command_Exit);
    auto *usbLayout = new QGridLayout(ui.Frame_USB);
    usbLayout->addWidget(ui.ListView_USBDevices, 0, 0);
    usbLayout->addWidget(ui.Label_Access, 1, 0);
    usbLayout->addWidget(ui.Label_Status, 2, 0);
    usbLayout->addLayout(buttons, 0, 1, 3, 1);
    usbLayout->setColumnStretch(0, 1);

    ui.Frame_Test = named(new QGroupBox(QStringLiteral("Test Communication"), this), "Frame_Test");
    ui.Text1 = named(new QLineEdit(ui.Frame_Test), "Text1");
    ui.Text1->setPlaceholderText(QStringLiteral("Command, then Enter"));
    ui.Text1->setAccessibleName(QStringLiteral("Command to send"));
    ui.Text2 = named(new QPlainTextEdit(ui.Frame_Test), "Text2");
    ui.Text2->setReadOnly(true);
    ui.Text2->setAccessibleName(QStringLiteral("Replies"));
    ui.Text2->setToolTip(QStringLiteral("Click to clear"));
    ui.Command_testID = commandButton(QStringLiteral("ID?"), QStringLiteral("Command_testID"), ui.Frame_Test);
    ui.Command1 = commandButton(QStringLiteral("Date?"), QStringLiteral("Command1"), ui.Frame_Test);
    ui.Command_Clear = commandButton(QStringLiteral("Clear"), QStringLiteral("Command_Clear"), ui.Frame_Test);
    auto *testButtons = new QVBoxLayout;
    testButtons->addWidget(ui.Command_testID);
    testButtons->addWidget(ui.Command1);
    testButtons->addWidget(ui.Command_Clear);
    testButtons->addStretch(1);
    auto *testLayout = new QGridLayout(ui.Frame_Test);
    testLayout->addWidget(ui.Text1, 0, 0);
    testLayout->addWidget(ui.Text2, 1, 0);
    testLayout->addLayout(testButtons, 0, 1, 2, 1);
    ui.Frame_Test->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.Frame4);
    layout->addWidget(ui.Frame_USB, 1);
    layout->addWidget(ui.Frame_Test, 1);
    layout->setSizeConstraint(QLayout::SetMinAndMaxSize);

    ui.Text1->installEventFilter(this);
    ui.Text2->viewport()->installEventFilter(this);

    connect(ui.Command_Locate, &QPushButton::clicked, this, &Form_USBLocator::Command_Locate_Click);
    connect(ui.Command_SelectUSB, &QPushButton::clicked, this, &Form_USBLocator::Command_SelectUSB_Click);
    connect(ui.Command_Autodetect, &QPushButton::clicked, this, &Form_USBLocator::Command_Autodetect_Click);
    connect(ui.Command_AutomaticUSB, &QPushButton::clicked, this, &Form_USBLocator::Command_AutomaticUSB_Click);
    connect(ui.Command_Advanced, &QPushButton::clicked, this, &Form_USBLocator::Command_Advanced_Click);
    connect(ui.Command_Exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui.Command_testID, &QPushButton::clicked, this, &Form_USBLocator::Command_testID_Click);
    connect(ui.Command1, &QPushButton::clicked, this, &Form_USBLocator::Command1_Click);
    connect(ui.Command_Clear, &QPushButton::clicked, this, &Form_USBLocator::Command_Clear_Click);
    connect(ui.Text1, &QLineEdit::returnPressed, this, &Form_USBLocator::Text1_Enter);

    // From the work, as it goes: on a thread of its own these arrive queued, as copies.
    connect(m_selection.get(), &UsbDeviceSelection::rowsChanged, this, &Form_USBLocator::fillListView);
    connect(m_selection.get(), &UsbDeviceSelection::activeDeviceChanged, this,
            &Form_USBLocator::DisplayActiveUSBModule);

    // Exit, Advanced and Clear stay: they reach no device.
    connect(m_operations, &LocationOperations::workingChanged, this, [this](bool working) {
        for (QWidget *w : std::initializer_list<QWidget *>{m_ui->Command_Locate, m_ui->Command_SelectUSB,
                                                           m_ui->Command_Autodetect, m_ui->Command_AutomaticUSB,
                                                           m_ui->Text1, m_ui->Command_testID, m_ui->Command1})
            w->setEnabled(!working);
    });
}

Form_USBLocator::~Form_USBLocator()
{
    delete m_ui;
}

void Form_USBLocator::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        // Listing takes a moment (retries, the identification pause): the window is on screen
        // first, inside its own event loop, and lists with the hourglass.
        QTimer::singleShot(0, this, &Form_USBLocator::Form_Load);
    }
}

void Form_USBLocator::done(int result)
{
    if (m_operations->mayClose())
        QDialog::done(result);
}

bool Form_USBLocator::isBusy() const
{
    return m_operations->isWorking();
}

void Form_USBLocator::Form_Load()
{
    CenterForm(this);
    m_ui->Command_Advanced->setText(advancedCaption(false));
    m_ui->Frame_Test->hide();
    // The device in use is loaded in the same turn as the listing, so no other window's work
    // changes it in between.
    runAction(m_ui->Command_Locate->text(), [](UsbDeviceSelection &selection) {
        selection.load();
        selection.listDevices();
    });
}

void Form_USBLocator::runAction(const QString &name, std::function<void(UsbDeviceSelection &)> action)
{
    std::shared_ptr<UsbDeviceSelection> selection = m_selection;
    m_operations->run(name, [selection, action = std::move(action)](OperationControl &) { action(*selection); });
}

void Form_USBLocator::runTest(std::function<QString(UsbDeviceSelection &)> exchange)
{
    std::shared_ptr<UsbDeviceSelection> selection = m_selection;
    m_operations->run<QString>(
        m_ui->Frame_Test->title(),
        [selection, exchange = std::move(exchange)](OperationControl &) { return exchange(*selection); },
        [this](const QString &reply) { appendReply(m_ui->Text2, reply); });
}

bool Form_USBLocator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Text1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // Escape empties the command box; it does not close the window.
        m_ui->Text1->clear();
        return true;
    }
    if (watched == m_ui->Text2->viewport() && event->type() == QEvent::MouseButtonPress)
        Command_Clear_Click();
    return QDialog::eventFilter(watched, event);
}

void Form_USBLocator::DisplayActiveUSBModule(const QString &name, const QString &serialNumber)
{
    m_ui->Label_ActiveName->setText(name);
    m_ui->Label_ActiveSerialNumber->setText(serialNumber);
}

void Form_USBLocator::fillListView(const QList<UsbDeviceSelection::Row> &rows, const QString &accessProblem)
{
    QTreeWidget *list = m_ui->ListView_USBDevices;
    list->clear();
    for (const UsbDeviceSelection::Row &row : rows)
        list->addTopLevelItem(new QTreeWidgetItem({row.name, row.serialNumber, oneLine(row.reply)}));
    for (int column = 0; column < 2; ++column)
        list->resizeColumnToContents(column);
    m_ui->Label_Access->setText(accessProblem);
    m_ui->Label_Access->setVisible(!accessProblem.isEmpty());
    // The rows change during a long listing; show them as they come.
    list->repaint();
}

void Form_USBLocator::Command_Locate_Click()
{
    runAction(m_ui->Command_Locate->text(), [](UsbDeviceSelection &selection) { selection.listDevices(); });
}

void Form_USBLocator::Command_SelectUSB_Click()
{
    const QModelIndex current = m_ui->ListView_USBDevices->currentIndex();
    const bool selected = current.isValid() && m_ui->ListView_USBDevices->selectionModel()->isSelected(current);
    const int row = selected ? current.row() : -1;
    runAction(m_ui->Command_SelectUSB->text(), [row](UsbDeviceSelection &selection) { selection.selectDevice(row); });
}

void Form_USBLocator::Command_Autodetect_Click()
{
    runAction(m_ui->Command_Autodetect->text(), [](UsbDeviceSelection &selection) { selection.autolocate(); });
}

void Form_USBLocator::Command_AutomaticUSB_Click()
{
    runAction(m_ui->Command_AutomaticUSB->text(),
              [](UsbDeviceSelection &selection) { selection.automaticByAdapterId(); });
}

void Form_USBLocator::Command_Advanced_Click()
{
    toggleAdvanced(m_ui->Command_Advanced, m_ui->Frame_Test);
    adjustSize();
}

void Form_USBLocator::Command_testID_Click()
{
    runTest([](UsbDeviceSelection &selection) { return selection.testIdentify(); });
}

void Form_USBLocator::Command1_Click()
{
    runTest([](UsbDeviceSelection &selection) { return selection.testDate(); });
}

void Form_USBLocator::Command_Clear_Click()
{
    m_ui->Text2->clear();
}

void Form_USBLocator::Text1_Enter()
{
    const QString command = m_ui->Text1->text();
    runTest([command](UsbDeviceSelection &selection) { return selection.sendTestCommand(command); });
}
