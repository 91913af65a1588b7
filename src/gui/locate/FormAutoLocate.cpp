#include "gui/locate/FormAutoLocate.h"

#include "gui/app/Main.h"
#include "gui/common/Named.h"
#include "gui/common/ReplyText.h"
#include "gui/common/WindowOperations.h"
#include "locate/EthernetInstrumentSearch.h"
#include "locate/SerialSearch.h"
#include "locate/UsbInstrumentSearch.h"
#include "session/InstrumentSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace {

// Heights of the window with and without the details pane, in twips (1/1440 inch).
constexpr int kDetailsHeightTwips = 5200;
constexpr int kCompactHeightTwips = 2200;
constexpr int kWidthTwips = 7800;
constexpr int kTwipsPerInch = 1440;

int twipsToPixels(const QWidget *widget, int twips)
{
    return twips * widget->logicalDpiY() / kTwipsPerInch;
}

// A reply's CR is a line break on screen, as is the CR LF that ends each result line; the line
// ends after the last line make no empty lines.
QString shownText(const QString &text)
{
    QString shown = withLineBreaks(text);
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    return shown;
}

} // namespace

struct FormAutoLocate::Ui
{
    QLabel *Image1;
    QLabel *Label_Result;
    QLabel *Label_Progress;
    QPlainTextEdit *Text_Status;
    QPushButton *Command_Details;
    QListWidget *List_RS2321;
    QListWidget *List_RS232S;
    QCheckBox *Check_Scanner;
    QPushButton *Command_LocateScanner;
    QPushButton *Command_Locate6481;
    QPushButton *Command_Retry;
    QPushButton *Command_OK;
    QWidget *detailsPane;
};

FormAutoLocate::FormAutoLocate(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : QDialog(parent),
      m_session(session),
      m_prompts(prompts),
      m_ui(new Ui),
      m_operations(new WindowOperations(*this, session.operations(), prompts)),
      m_search(std::make_shared<SerialSearch>(session)),
      m_usbSearch(std::make_shared<UsbInstrumentSearch>(session))
{
    setWindowTitle(QStringLiteral("Automatic 5200 Series Location"));
    Ui &ui = *m_ui;

    ui.Image1 = named(new QLabel(this), "Image1");
    ui.Image1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    ui.Label_Result = named(new QLabel(this), "Label_Result");
    QFont headline = ui.Label_Result->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.3);
    ui.Label_Result->setFont(headline);
    ui.Label_Progress = named(new QLabel(this), "Label_Progress");
    ui.Label_Progress->setWordWrap(true);
    ui.Label_Progress->setTextInteractionFlags(Qt::TextSelectableByMouse);

    ui.Command_Details = named(new QPushButton(this), "Command_Details");
    ui.Command_Retry = named(new QPushButton(QStringLiteral("Retry"), this), "Command_Retry");
    ui.Command_OK = named(new QPushButton(QStringLiteral("OK"), this), "Command_OK");
    QFont bold = ui.Command_OK->font();
    bold.setBold(true);
    ui.Command_OK->setFont(bold);
    ui.Command_OK->setDefault(true);

    ui.detailsPane = named(new QWidget(this), "detailsPane");
    ui.Text_Status = named(new QPlainTextEdit(ui.detailsPane), "Text_Status");
    ui.Text_Status->setReadOnly(true);
    ui.Text_Status->setAccessibleName(QStringLiteral("Search details"));
    ui.List_RS2321 = named(new QListWidget(ui.detailsPane), "List_RS2321");
    ui.List_RS232S = named(new QListWidget(ui.detailsPane), "List_RS232S");
    ui.Check_Scanner = named(new QCheckBox(QStringLiteral("Use Scanner"), ui.detailsPane), "Check_Scanner");
    ui.Command_Locate6481 = named(new QPushButton(QStringLiteral("Find 6481"), ui.detailsPane), "Command_Locate6481");
    ui.Command_LocateScanner =
        named(new QPushButton(QStringLiteral("Find Scanner"), ui.detailsPane), "Command_LocateScanner");
    // There is no scanner search: the button is there for the layout and says so.
    ui.Command_LocateScanner->setEnabled(false);
    ui.Command_LocateScanner->setToolTip(QStringLiteral("No scanner search is available"));

    auto *heading = new QVBoxLayout;
    heading->addWidget(ui.Label_Result);
    heading->addWidget(ui.Label_Progress, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(ui.Image1, 0, Qt::AlignTop);
    top->addLayout(heading, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ui.Command_Details);
    buttons->addStretch(1);
    buttons->addWidget(ui.Command_Retry);
    buttons->addWidget(ui.Command_OK);

    auto *ports = new QGridLayout;
    ports->addWidget(new QLabel(QStringLiteral("Calibrator port"), ui.detailsPane), 0, 0);
    ports->addWidget(new QLabel(QStringLiteral("Scanner port"), ui.detailsPane), 0, 1);
    ui.List_RS2321->setAccessibleName(QStringLiteral("Calibrator port"));
    ui.List_RS232S->setAccessibleName(QStringLiteral("Scanner port"));
    ports->addWidget(ui.List_RS2321, 1, 0);
    ports->addWidget(ui.List_RS232S, 1, 1);
    ports->addWidget(ui.Command_Locate6481, 2, 0);
    ports->addWidget(ui.Check_Scanner, 2, 1);
    ports->addWidget(ui.Command_LocateScanner, 3, 1);
    ui.List_RS2321->setMaximumWidth(110);
    ui.List_RS232S->setMaximumWidth(110);
    auto *details = new QHBoxLayout(ui.detailsPane);
    details->setContentsMargins(0, 0, 0, 0);
    details->addWidget(ui.Text_Status, 1);
    details->addLayout(ports);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(ui.detailsPane, 1);

    connect(ui.Command_Details, &QPushButton::clicked, this, &FormAutoLocate::Command_Details_Click);
    connect(ui.Command_Locate6481, &QPushButton::clicked, this, &FormAutoLocate::Command_Locate6481_Click);
    connect(ui.Command_Retry, &QPushButton::clicked, this, &FormAutoLocate::Command_Retry_Click);
    connect(ui.Command_OK, &QPushButton::clicked, this, &FormAutoLocate::Command_OK_Click);

    OperationQueue &queue = session.operations();
    // A search dropped before its turn (the window was closed meanwhile) leaves Retry usable.
    connect(&queue, &OperationQueue::finished, this, [this](QObject *owner) {
        if (owner == this && !m_session.operations().hasOperation(this))
            m_searching = false;
    });
    // What the work says goes to the details pane; run on a thread of its own, the search's
    // signals and the reported status arrive here queued, in the order they were sent.
    connect(&queue, &OperationQueue::statusReported, this, [this](QObject *owner, const QString &text) {
        if (owner == this)
            AddDetail(text);
    });
    connect(m_operations, &WindowOperations::waiting, ui.Label_Progress, &QLabel::setText);
    connect(m_operations, &WindowOperations::started, this, [this] {
        if (m_ui->Label_Progress->text() == m_operations->lastWaitingText())
            m_ui->Label_Progress->clear();
    });
    connect(m_search.get(), &SerialSearch::detail, this, &FormAutoLocate::AddDetail);
    connect(m_search.get(), &SerialSearch::portsListed, this, &FormAutoLocate::fillLists);
    connect(m_search.get(), &SerialSearch::searchStarted, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        setWindowTitle(QStringLiteral("Automatic 5200 Location"));
        m_ui->Label_Progress->setText(SerialSearch::kCheckingSerialPorts);
    });
    connect(m_search.get(), &SerialSearch::searchFinished, this, [] { QApplication::restoreOverrideCursor(); });
    connect(m_usbSearch.get(), &UsbInstrumentSearch::detail, this, &FormAutoLocate::AddDetail);
    // Between the two searches, on the work's thread: the found text is read once the work ended.
    connect(m_usbSearch.get(), &UsbInstrumentSearch::result, m_search.get(), &SerialSearch::addResult,
            Qt::DirectConnection);

    ApplyShowDetails();
    Form_Load();
}

FormAutoLocate::~FormAutoLocate()
{
    delete m_ui;
}

void FormAutoLocate::Form_Load()
{
    CenterForm(this);
    FillPortLists();
}

void FormAutoLocate::AddDetail(const QString &text)
{
    m_ui->Label_Progress->setText(shownText(text));
    m_ui->Text_Status->appendPlainText(shownText(text));
    QCoreApplication::processEvents();
}

void FormAutoLocate::SetShowDetails(bool show)
{
    ShowDetails = show;
    ApplyShowDetails();
}

void FormAutoLocate::ApplyShowDetails()
{
    m_ui->Command_Details->setText(ShowDetails ? QStringLiteral("Details <<") : QStringLiteral("Details >>"));
    m_ui->Text_Status->setVisible(ShowDetails);
    m_ui->detailsPane->setVisible(ShowDetails);
    const int twips = ShowDetails ? kDetailsHeightTwips : kCompactHeightTwips;
    layout()->activate();
    // The window never gets smaller than its contents need on a screen with large fonts.
    const int height = qMax(twipsToPixels(this, twips), minimumSizeHint().height());
    setFixedHeight(height);
    resize(qMax(width(), kWidthTwips * logicalDpiX() / kTwipsPerInch), height);
}

void FormAutoLocate::FillPortLists()
{
    // Listing opens and closes every port, the instrument's own among them: in its turn.
    std::shared_ptr<SerialSearch> search = m_search;
    OperationQueue::Request request;
    request.name = QStringLiteral("List serial ports");
    request.work = [search](OperationControl &) { search->listPorts(); };
    m_operations->run(std::move(request));
}

void FormAutoLocate::fillLists(const PortListing &listing)
{
    Ui &ui = *m_ui;
    ui.Check_Scanner->setChecked(listing.useScanner());
    ui.List_RS232S->setEnabled(listing.useScanner());
    ui.List_RS2321->clear();
    ui.List_RS232S->clear();
    for (int port : listing.ports) {
        ui.List_RS2321->addItem(SerialSearch::portEntry(port));
        ui.List_RS232S->addItem(SerialSearch::portEntry(port));
    }
    ui.List_RS2321->setCurrentRow(listing.instrumentIndex);
    ui.List_RS232S->setCurrentRow(listing.scannerIndex);
}

void FormAutoLocate::SearchSerialPorts()
{
    if (isSearching())
        return;
    // The ports are those the list shows: after the listing of the window's opening.
    QList<int> ports;
    for (int row = 0; row < m_ui->List_RS2321->count(); ++row)
        ports << SerialSearch::portFromEntry(m_ui->List_RS2321->item(row)->text());
    std::shared_ptr<SerialSearch> search = m_search;
    runSearch(m_ui->Command_Locate6481->text(),
              [search, ports](OperationControl &) { return search->searchPorts(ports); }, {});
}

bool FormAutoLocate::runSearch(const QString &name, std::function<bool(OperationControl &)> work,
                               std::function<void(bool found)> then)
{
    if (m_searching)
        return false;
    auto found = std::make_shared<std::optional<bool>>();
    OperationQueue::Request request;
    request.name = name;
    request.work = [found, work = std::move(work)](OperationControl &control) { *found = work(control); };
    request.done = [this, found, then = std::move(then)] {
        m_searching = false;
        if (then)
            then(found->value_or(false));
    };
    QPointer<FormAutoLocate> self(this);
    m_searching = true;
    if (!m_operations->run(std::move(request)) && self)
        m_searching = false; // refused: the program is ending
    return self && found->value_or(false);
}

bool FormAutoLocate::Locate_All(std::function<void(bool found)> then)
{
    // The port listing of the window's opening may still wait its turn: the search follows it.
    if (m_searching)
        return false;
    Ui &ui = *m_ui;
    ui.Text_Status->clear();
    ui.Command_OK->setEnabled(false);
    ui.Command_Retry->setEnabled(false);
    ui.Label_Result->setText(QStringLiteral("Searching..."));

    // "Checking Serial Ports", the port lists, then the search over the listed ports. The search
    // holds its own objects, never the window's widgets: those hear it through its signals.
    std::shared_ptr<SerialSearch> search = m_search;
    return runSearch(
        QStringLiteral("Autolocate"), [search](OperationControl &) { return search->locateAll(); },
        [this, then = std::move(then)](bool found) {
            showResult(found);
            if (then)
                then(found);
        });
}

void FormAutoLocate::showResult(bool found)
{
    Ui &ui = *m_ui;
    if (found) {
        ui.Label_Result->setText(QStringLiteral("Instrument Found"));
        ui.Label_Progress->setText(shownText(m_search->foundText()));
    } else {
        ui.Label_Result->setText(QStringLiteral("No Instrument Found"));
        ui.Label_Progress->setText(QStringLiteral("No instruments found."));
        QFont plain = ui.Command_OK->font();
        plain.setBold(false);
        ui.Command_OK->setFont(plain);
    }
    ui.Command_OK->setEnabled(true);
    ui.Command_Retry->setEnabled(true);
    ui.Command_OK->setFocus();
    raise();
    activateWindow();
}

bool FormAutoLocate::okIsBold() const
{
    return m_ui->Command_OK->font().bold();
}

bool FormAutoLocate::isSearching() const
{
    return m_operations->isRunning();
}

bool FormAutoLocate::Locate_DVM_USB(std::function<void(bool found)> then)
{
    std::shared_ptr<UsbInstrumentSearch> search = m_usbSearch;
    return runSearch(
        QStringLiteral("USB search"), [search](OperationControl &) { return search->search(); }, std::move(then));
}

bool FormAutoLocate::Locate_DVM_Ethernet(std::function<void(bool found)> then)
{
    InstrumentSession *session = &m_session;
    auto foundText = std::make_shared<QString>();
    return runSearch(
        QStringLiteral("Ethernet search"),
        [session, foundText](OperationControl &control) {
            return EthernetInstrumentSearch(*session).run(
                [&control](const QString &text) { control.reportStatus(text); }, *foundText);
        },
        [this, foundText, then = std::move(then)](bool found) {
            if (found)
                m_ui->Label_Progress->setText(shownText(*foundText));
            if (then)
                then(found);
        });
}

void FormAutoLocate::Command_Details_Click()
{
    ShowDetails = !ShowDetails;
    ApplyShowDetails();
}

void FormAutoLocate::Command_Locate6481_Click()
{
    SearchSerialPorts();
}

void FormAutoLocate::Command_Retry_Click()
{
    Locate_All({});
}

void FormAutoLocate::Command_OK_Click()
{
    accept();
}

// A running search holds the window's search objects: closing (and perhaps deleting) the window
// now would pull the ground from under it. A search ends within one identification wait; one
// still waiting its turn is dropped and the window closes.
void FormAutoLocate::done(int result)
{
    OperationQueue &queue = m_session.operations();
    queue.stop(this);
    if (!queue.hasOperation(this))
        QDialog::done(result);
}
