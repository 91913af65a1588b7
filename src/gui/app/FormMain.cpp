#include "gui/app/FormMain.h"

#include "gui/app/FormProgress.h"
#include "gui/app/Main.h"
#include "gui/app/StartForm.h"
#include "gui/app/StartupFindings.h"
#include "gui/app/TraceToFile.h"
#include "gui/app/WindowPosition.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Named.h"
#include "gui/common/OnWindowThread.h"
#include "gui/common/ReplyText.h"
#include "gui/common/WindowOperations.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/locate/FormChooseInterface.h"
#include "gui/locate/FormOptions.h"
#include "gui/records/FormCommunicationLog.h"
#include "instrument/CommandHelpers.h"
#include "instrument/IDVM.h"
#include "instrument/InformationText.h"
#include "instrument/ReadingFormat.h"
#include "instrument/serial/SerialPortControl.h"
#include "instrument/usb/UsbBridge.h"
#include "locate/StartupRecovery.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "platform/TraceSettings.h"
#include "procedures/InstrumentRestart.h"
#include "session/ConnectionStatus.h"
#include "session/InstrumentSession.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDebug>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace {

// Timeouts and pauses of the main window's own commands (seconds unless named otherwise).
constexpr int kInfoTimeout = 5;
constexpr int kInfoSettleMs = 50;
constexpr int kNoWaitTimeout = 10;
constexpr int kGatherToStatusLine = 1;

// The most the window's smallest height may be, so it fits a 1366x768 screen with a panel.
constexpr int kTallestMinimumHeight = 640;

const QString kFrontPanelTitle = QStringLiteral("DVM Virtual Front Panel");

// The window shows line ends as the instrument and the drivers write them; the one that ends the
// text makes no empty last line.
QString displayText(const QString &text)
{
    QString shown = withLineBreaks(text);
    if (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    return shown;
}

QPlainTextEdit *readOnlyBox(QWidget *parent, const QString &name, const QString &accessibleName, int lines)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabChangesFocus(true);
    // Every line whole: the document's margin above and below the text, and the frame.
    const int text = box->fontMetrics().lineSpacing() * lines + 2 * qCeil(box->document()->documentMargin());
    const QMargins margins = box->contentsMargins();
    box->setMinimumHeight(text + margins.top() + margins.bottom() + 2 * box->frameWidth());
    // The box fills what its frame has to spare rather than asking for a size of its own.
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    return box;
}

} // namespace

FormMain::BusyScope::BusyScope(FormMain &window)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto buttons = window.centralWidget()->findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons) {
        if (b != window.m_exit && b->isEnabled() && !qobject_cast<QCheckBox *>(b)) {
            b->setEnabled(false);
            m_disabled << b;
        }
    }
}

FormMain::BusyScope::~BusyScope()
{
    for (const QPointer<QAbstractButton> &b : std::as_const(m_disabled)) {
        if (b)
            b->setEnabled(true);
    }
    QApplication::restoreOverrideCursor();
}

FormMain::FormMain(InstrumentSession &session, Prompts &prompts, const MainActions &actions, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_prompts(prompts), m_actions(actions)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(Settings::applicationTitle());
    // Each program start traces into a new file, so the last session's trace stays whole.
    auto *traceToFile = new TraceToFile(this);
    if (Settings::value(SettingsKey::TraceToFile, QStringLiteral("0")).trimmed() == QLatin1String("1")) {
        QString error;
        if (!traceToFile->setOn(true, &error))
            qWarning().noquote() << "trace file:" << error;
    }
    buildUi();
    // Exchanges report their activity from the instrument's thread; the panel is drawn here.
    m_session.context().state().activityHook = onWindowThread(
        this, std::function<void(QString)>([this](const QString &replySoFar) { ShowCommActivity(replySoFar); }));
    // What the main window's own steps say while they run goes to the Information box.
    connect(&m_session.operations(), &OperationQueue::statusReported, this,
            [this](QObject *owner, const QString &text) {
                if (owner == this)
                    m_info->setPlainText(text);
            });
}

FormMain::~FormMain()
{
    m_session.context().state().activityHook = nullptr;
}

// --- layout ---------------------------------------------------------------------------------

void FormMain::buildUi()
{
    auto *central = new QWidget(this);
    // Frame captions stand out from the controls inside (a style sheet font is not inherited).
    central->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    auto *grid = new QGridLayout(central);
    grid->setContentsMargins(10, 10, 10, 6);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);

    QWidget *connection = buildConnectionFrame();
    QWidget *setupFrames[3] = {buildSetupFrame(), buildAdvancedSetupFrame(), buildExtraFrame()};
    grid->addWidget(connection, 0, 0);
    grid->addWidget(buildInfoFrame(), 0, 1, 1, 2);
    for (int column = 0; column < 3; ++column)
        grid->addWidget(setupFrames[column], 1, column);
    grid->addWidget(buildQuickSetupFrame(), 2, 0, 1, 3);

    // Three columns of one width, however the window is sized.
    int columnWidth = connection->minimumSizeHint().width();
    for (QWidget *frame : setupFrames)
        columnWidth = std::max(columnWidth, frame->minimumSizeHint().width());
    for (int column = 0; column < 3; ++column) {
        grid->setColumnMinimumWidth(column, columnWidth);
        grid->setColumnStretch(column, 1);
    }
    grid->setRowStretch(0, 1);
    grid->setRowStretch(2, 1);

    auto *footer = new QHBoxLayout;
    footer->addStretch(1);
    m_exit = addCommand(footer, {"Command_Exit", "Exit", &FormMain::Command_Exit_Click});
    grid->addLayout(footer, 3, 0, 1, 3);

    // The window fits a small laptop screen with a panel: below the frames' own height the frames
    // scroll inside it rather than the window refusing to get any shorter.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollArea_Main"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(central);
    m_content = central;
    setCentralWidget(scroll);
    buildMenus();
    buildStatusBar();

    const QSize content = central->minimumSizeHint();
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    scroll->setMinimumWidth(content.width() + scroll->verticalScrollBar()->sizeHint().width());
    scroll->setMinimumHeight(std::min(content.height(), kTallestMinimumHeight - bars));
}

QAbstractButton *FormMain::addCommand(QLayout *layout, const Command &command)
{
    QPushButton *button = commandButton(QString::fromLatin1(command.caption), QString::fromLatin1(command.name));
    button->setMinimumWidth(150);
    if (command.action)
        button->setEnabled(m_actions.contains(*command.action));
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, command] {
        if (command.action)
            runAction(*command.action);
        else
            (this->*command.handler)();
    });
    return button;
}

void FormMain::addCommands(QLayout *layout, std::initializer_list<Command> commands)
{
    for (const Command &command : commands)
        addCommand(layout, command);
}

QGroupBox *FormMain::commandFrame(const QString &caption, const char *name, std::initializer_list<Command> commands)
{
    auto *frame = named(new QGroupBox(caption), name);
    auto *layout = new QVBoxLayout(frame);
    addCommands(layout, commands);
    layout->addStretch(1);
    return frame;
}

void FormMain::bindAction(QAction *menuEntry, MainAction action)
{
    menuEntry->setEnabled(m_actions.contains(action));
    connect(menuEntry, &QAction::triggered, this, [this, action] { runAction(action); });
}

QWidget *FormMain::buildConnectionFrame()
{
    auto *frame = named(new QGroupBox(QStringLiteral("Connection Details")), "Frame_ConnectionStatus");
    auto *layout = new QVBoxLayout(frame);
    m_connectionStatus =
        readOnlyBox(frame, QStringLiteral("Text_ConnectionStatus"), QStringLiteral("Connection details"), 3);
    // A scroll bar along the bottom would take the place of the third line (an Ethernet
    // module's address); a line too long for the box can still be read by moving along it.
    m_connectionStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_connectionStatus, 1);
    addCommands(layout,
                {{"Command_Autolocate", "Autolocate Calibrator", &FormMain::Command_Autolocate_Click},
                 {"Command_SetupSerial", "Configure Serial / GPIB", &FormMain::Command_SetupSerial_Click},
                 {"Command_SetupEthernet", "Configure Ethernet", MainAction::ConfigureEthernet},
                 {"Command_SetupUSB", "Configure USB", MainAction::ConfigureUSB}});
    return frame;
}

QWidget *FormMain::buildInfoFrame()
{
    auto *frame = named(new QGroupBox(QStringLiteral("Information")), "Frame_Info");
    auto *layout = new QVBoxLayout(frame);
    m_info = readOnlyBox(frame, QStringLiteral("Text_Info"), QStringLiteral("Instrument information"), 6);
    m_info->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_info, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    addCommand(row, {"Command_GetInfo", "Update", &FormMain::Command_GetInfo_Click});
    layout->addLayout(row);
    return frame;
}

QWidget *FormMain::buildSetupFrame()
{
    return commandFrame(QStringLiteral("Setup"), "Frame2",
                        {{"Command_Specifications", "Specifications", MainAction::Specifications},
                         {"Command_CalFactors", "Calibration Factors", MainAction::CalibrationFactors},
                         {"Command_Date", "Date and Time", MainAction::DateAndTime},
                         {"Command_ViewCalHistory", "View Calibration History", MainAction::CalibrationHistory}});
}

QWidget *FormMain::buildAdvancedSetupFrame()
{
    return commandFrame(QStringLiteral("Advanced Setup"), "FrameAdvSetup",
                        {{"Command_SetOutput", "Set Output", MainAction::SetOutput},
                         {"Command_PowerCal", "Power Calibration", MainAction::PowerCalibration},
                         {"Command_KVAMP", "kV Amplifier Setup", MainAction::KVAmplifier},
                         {"Command_CorrectionFactors", "Correction Factors", MainAction::CorrectionFactors},
                         {"Command_Adapters", "Adapters", MainAction::Adapters}});
}

QWidget *FormMain::buildExtraFrame()
{
    return commandFrame(QStringLiteral("Extra"), "FrameExtra",
                        {{"Command_SetupPassword", "Send Setup Password", &FormMain::Command_SetupPassword_Click},
                         {"Command_SendPassword", "Send Cal Password", &FormMain::Command_SendPassword_Click},
                         {"Command_SendExitPassword", "Exit Setup Mode", &FormMain::Command_SendExitPassword_Click},
                         {"Command_Reboot", "Reboot", &FormMain::Command_Reboot_Click},
                         {"Command_CloseComm", "Close Comm Port", &FormMain::Command_CloseComm_Click},
                         {"Command_WipeEEPROM", "Wipe EEPROM", MainAction::WipeEEPROM}});
}

QWidget *FormMain::buildQuickSetupFrame()
{
    auto *frame = named(new QGroupBox(QStringLiteral("Quick Setup")), "FrameQuickSetup");
    auto *outer = new QHBoxLayout(frame);
    auto *grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    outer->addLayout(grid, 1);

    // The boxes belong to the setup-task sequence and are live only when it is.
    const bool tasks = m_actions.contains(MainAction::PerformSetupTasks);
    auto box = [&](QCheckBox *&member, const QString &name, const QString &caption, int row) {
        member = new QCheckBox(caption, frame);
        member->setObjectName(name);
        member->setEnabled(tasks);
        grid->addWidget(member, row, 0);
    };
    auto cell = [&](int row) {
        auto *holder = new QHBoxLayout;
        holder->setContentsMargins(0, 0, 0, 0);
        grid->addLayout(holder, row, 1);
        return holder;
    };

    box(m_quick.Check_Date, QStringLiteral("Check_Date"), QStringLiteral("Set Current Date and Time"), 0);
    box(m_quick.Check_CalPassword, QStringLiteral("Check_CalPassword"), QStringLiteral("User Password"), 1);
    m_quick.Text_UserPassword = new QLineEdit(frame);
    m_quick.Text_UserPassword->setObjectName(QStringLiteral("Text_UserPassword"));
    m_quick.Text_UserPassword->setAccessibleName(QStringLiteral("User Password to set"));
    m_quick.Text_UserPassword->setEnabled(tasks);
    cell(1)->addWidget(m_quick.Text_UserPassword);
    box(m_quick.Check_ClearCal, QStringLiteral("Check_ClearCal"), QStringLiteral("Clear Calibration Factors"), 2);
    box(m_quick.Check_Specs, QStringLiteral("Check_Specs"), QStringLiteral("Load Default Specifications"), 3);
    addCommand(cell(3), {"Command_SetDefaultSpec", "Set Default", MainAction::SetDefaultSpec})
        ->setAccessibleName(QStringLiteral("Set Default Specifications"));
    box(m_quick.Check_Uncerts, QStringLiteral("Check_Uncerts"), QStringLiteral("Load Default Imported Uncertainties"),
        4);
    addCommand(cell(4), {"Command_SetDefaultUncert", "Set Default", MainAction::SetDefaultUncert})
        ->setAccessibleName(QStringLiteral("Set Default Imported Uncertainties"));
    box(m_quick.Check_Thermocouple, QStringLiteral("Check_Thermocouple"), QStringLiteral("Thermocouple Tables"), 5);
    box(m_quick.Check_BackupCal, QStringLiteral("Check_BackupCal"), QStringLiteral("Backup Active Calibration Factors"),
        6);
    grid->setRowStretch(7, 1);

    auto *report = new QVBoxLayout;
    m_quick.Text_Status = readOnlyBox(frame, QStringLiteral("Text_Status"), QStringLiteral("Quick Setup report"), 4);
    m_quick.Text_Status->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    report->addWidget(m_quick.Text_Status, 1);
    auto *run = new QHBoxLayout;
    run->addStretch(1);
    addCommand(run, {"Command_SetupTasks", "Perform Selected Tasks", MainAction::PerformSetupTasks});
    report->addLayout(run);
    outer->addLayout(report, 1);
    return frame;
}

void FormMain::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    QAction *journal = file->addAction(QStringLiteral("Change &Journal..."));
    journal->setObjectName(QStringLiteral("MenuFileJournal"));
    bindAction(journal, MainAction::ChangeJournal);
    file->addSeparator();
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("MenuFileExit"));
    connect(exit, &QAction::triggered, this, &FormMain::Command_Exit_Click);

    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("MenuOptions"));
    QAction *optionsEntry = options->addAction(QStringLiteral("&Options"));
    optionsEntry->setObjectName(QStringLiteral("MenuOptionsOptions"));
    connect(optionsEntry, &QAction::triggered, this, &FormMain::MenuOptionsOptions_Click);
    // On by default: a factor the instrument answers as taken but keeps wrong is only seen by
    // reading its range again, which costs a range's reading per range written.
    QAction *verify = options->addAction(QStringLiteral("&Read Back Saved Factors"));
    verify->setObjectName(QStringLiteral("MenuOptionsVerify"));
    verify->setCheckable(true);
    verify->setChecked(Settings::value(SettingsKey::VerifyWrites).trimmed() != QLatin1String("0"));
    connect(verify, &QAction::toggled, this, [](bool on) {
        Settings::setValue(SettingsKey::VerifyWrites, on ? QStringLiteral("1") : QStringLiteral("0"));
    });

    QMenu *setup = menuBar()->addMenu(QStringLiteral("6481 Setup"));
    setup->setObjectName(QStringLiteral("MenuSetup"));
    const struct
    {
        const char *name;
        const char *caption;
        MainAction action;
    } entries[] = {
        {"MenuSetupCal", "Calibration Factors", MainAction::CalibrationFactors},
        {"MenuSetupThermocouple", "Thermocouple", MainAction::Thermocouple},
        {"MenuSetupPRT", "PRT", MainAction::PRT},
        {"MenuSetupUncertainties", "Imported Uncertainties", MainAction::ImportedUncertainties},
        {"MenuSetupSpecifications", "Specifications", MainAction::Specifications},
    };
    for (const auto &entry : entries) {
        QAction *a = setup->addAction(QString::fromLatin1(entry.caption));
        a->setObjectName(QString::fromLatin1(entry.name));
        bindAction(a, entry.action);
    }

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("MenuView"));
    QAction *log = view->addAction(QStringLiteral("Communication &Log..."));
    log->setObjectName(QStringLiteral("ViewCommunicationLog"));
    connect(log, &QAction::triggered, this, [this] {
        // One log window for the program's life: closed, it goes on collecting.
        auto *form = findChild<FormCommunicationLog *>(QString(), Qt::FindDirectChildrenOnly);
        if (!form)
            form = new FormCommunicationLog(m_prompts, this);
        form->show();
        form->raise();
        form->activateWindow();
    });
    QAction *traceFile = view->addAction(QStringLiteral("&Trace to File"));
    traceFile->setObjectName(QStringLiteral("ViewTraceToFile"));
    traceFile->setCheckable(true);
    auto *traceToFile = findChild<TraceToFile *>(QString(), Qt::FindDirectChildrenOnly);
    traceFile->setChecked(traceToFile && traceToFile->isOn());
    connect(traceFile, &QAction::toggled, this, [this, traceFile, traceToFile](bool on) {
        QString error;
        if (!traceToFile || !traceToFile->setOn(on, &error)) {
            m_prompts.critical(error, QStringLiteral("Trace to File"));
            const QSignalBlocker quiet(traceFile);
            traceFile->setChecked(false);
            return;
        }
        Settings::setValue(SettingsKey::TraceToFile, on ? QStringLiteral("1") : QStringLiteral("0"));
    });

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction *diagnostics = help->addAction(QStringLiteral("Diagnostics..."));
    diagnostics->setObjectName(QStringLiteral("HelpDiagnostics"));
    bindAction(diagnostics, MainAction::Diagnostics);
    QAction *about = help->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("AboutMenu"));
    connect(about, &QAction::triggered, this, &FormMain::AboutMenu_Click);
}

void FormMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    m_panel1 = new QLabel(bar);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    // Wide enough for the longest connection it names, an Ethernet module's address.
    m_panel1->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Ethernet 255.255.255.255")) + 24);
    m_panel1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_panel2 = new QLabel(bar);
    m_panel2->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setMinimumWidth(fontMetrics().horizontalAdvance(QString(kActivityPanelWrap, QLatin1Char('|'))) + 24);
    bar->addWidget(m_panel1);
    bar->addWidget(m_panel2, 1);
}

// --- start and end ----------------------------------------------------------------------------

QSize FormMain::naturalSize() const
{
    // The scroll area asks for little; the window opens big enough to show every frame whole
    // when the screen has room for it.
    QSize size = m_content->sizeHint().expandedTo(m_content->minimumSizeHint());
    size.rheight() += menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    if (QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        size = size.boundedTo(screen->availableGeometry().size() - QSize(0, titleBar));
    }
    return size.expandedTo(minimumSizeHint());
}

void FormMain::placeWindow()
{
    resize(naturalSize());
    const auto left = WindowPosition::parseTwips(Settings::value(SettingsKey::MainLeft, QString()));
    const auto top = WindowPosition::parseTwips(Settings::value(SettingsKey::MainTop, QString()));
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (left && top && screen) {
        const double dpi = screen->logicalDotsPerInchX();
        const QPoint saved(WindowPosition::twipsToPixels(*left, dpi), WindowPosition::twipsToPixels(*top, dpi));
        QList<QRect> areas;
        for (QScreen *s : QGuiApplication::screens())
            areas << s->availableGeometry();
        if (const auto at = WindowPosition::keepOnScreen(saved, frameGeometry().size(), areas)) {
            move(*at);
            return;
        }
    }
    CenterForm(this);
}

bool FormMain::Form_Load()
{
    placeWindow();
    show();
    QCoreApplication::processEvents();

    StartupRecovery recovery(
        m_prompts, Settings::applicationTitle(),
        {[this] { return searchAtStartUp(); }, [this] { return chooseInterfaceAtStartUp(); }, startupFindings});
    if (!recovery.run())
        return false;
    UpdateStatusBar();
    return true;
}

bool FormMain::searchAtStartUp()
{
    BusyScope busy(*this);
    // A saved USB, Ethernet or GPIB connection is tried first: the serial search cannot find
    // an instrument on those, and a user of them would otherwise never get past start-up.
    if (m_session.connectSavedInterface())
        return true;

    auto *locator = new FormAutoLocate(m_session, m_prompts, this);
    m_autoLocate = locator;
    locator->show();
    locator->SetShowDetails(false);
    locator->Locate_All();
    // A search that found nothing takes the bold font off OK.
    const bool found = locator->okIsBold();
    if (m_autoLocate) {
        m_autoLocate->close();
        delete m_autoLocate;
    }
    return found;
}

bool FormMain::chooseInterfaceAtStartUp()
{
    FormChooseInterface chooser(m_session, m_prompts, this);
    chooser.exec();
    // The location windows point `DVM` at what the user chose; it counts once it answers there.
    BusyScope busy(*this);
    IDVM *dvm = m_session.dvm();
    return dvm && dvm->CheckIdentity(dvm->Identify().trimmed());
}

bool FormMain::mayEnd()
{
    OperationQueue &queue = m_session.operations();
    if (m_endWhenIdle) {
        if (queue.hasWork())
            return false;
        // The work has stopped: the windows it kept (a save stopped half way leaves figures not
        // written) are asked now like the others, and one that stays calls the end off.
        if (!closeIdleWindows()) {
            callOffEnd();
            return false;
        }
        return true;
    }
    if (queue.runningWrites()) {
        const auto [done, total] = queue.runningProgress();
        const QString name = queue.runningName();
        if (!m_prompts.confirm(WindowOperations::stopQuestion(name, done, total, queue.runningUnit()), name))
            return false;
    }
    // The other windows are asked before anything is stopped: one that stays (its engineer kept
    // figures not yet written) keeps the program, which would otherwise take them with it.
    if (!closeIdleWindows())
        return false;
    if (!queue.hasWork())
        return true;
    // Everything is asked to stop and nothing new starts; the program ends once the running work
    // has left the instrument as it should (out of setup mode).
    queue.close();
    if (!queue.isBusy())
        return true; // only waiting work, dropped now
    m_endWhenIdle = true;
    // Nothing new is opened or started while the program waits to end.
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    m_endWhenIdleConnection = connect(&queue, &OperationQueue::busyChanged, this, [this](bool busy) {
        if (!busy)
            QTimer::singleShot(0, this, &QWidget::close);
    });
    return false;
}

void FormMain::callOffEnd()
{
    m_endWhenIdle = false;
    disconnect(m_endWhenIdleConnection);
    m_session.operations().reopen();
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
}

bool FormMain::closeIdleWindows()
{
    const OperationQueue &queue = m_session.operations();
    for (qsizetype i = m_modeless.size() - 1; i >= 0; --i) {
        QPointer<QWidget> window = m_modeless.at(i);
        // A window whose work runs or waits closes once the work has stopped (Form_Unload), so
        // its own question about that work is not asked again here.
        if (!window || queue.hasOperation(window))
            continue;
        window->close();
        if (window && window->isVisible())
            return false;
    }
    return true;
}

void FormMain::closeEvent(QCloseEvent *event)
{
    if (!mayEnd()) {
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        Form_QueryUnload();
        Form_Unload();
        emit unloaded();
    }
    event->accept();
}

void FormMain::Form_QueryUnload()
{
    // An open USB bridge is released before the program goes, or the next start cannot open it.
    // The work has stopped by now; the bridge is let go on the thread it lives on.
    InstrumentSession *session = &m_session;
    if (IDVM *dvm = m_session.dvm(); dvm && dvm->GetInterfaceType() == InterfaceUSB)
        m_session.operations().callOnWorkThread([session] { session->close(); });
}

void FormMain::Form_Unload()
{
    for (qsizetype i = m_modeless.size() - 1; i >= 0; --i) {
        if (m_modeless.at(i))
            m_modeless.at(i)->close();
    }
    m_modeless.clear();
    if (m_autoLocate)
        m_autoLocate->close();

    // A minimised window has no position worth keeping.
    if (isMinimized())
        return;
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : WindowPosition::kDefaultDotsPerInch;
    const QPoint at = pos();
    Settings::setValue(SettingsKey::MainLeft, WindowPosition::twipsText(WindowPosition::pixelsToTwips(at.x(), dpi)));
    Settings::setValue(SettingsKey::MainTop, WindowPosition::twipsText(WindowPosition::pixelsToTwips(at.y(), dpi)));
}

// --- public procedures -------------------------------------------------------------------------

void FormMain::UpdateStatusBar()
{
    if (IDVM *dvm = m_session.dvm())
        m_connectionStatus->setPlainText(displayText(dvm->GetDescription()));
    m_panel1->setText(ConnectionStatus::panelText(m_session));
}

QString FormMain::DisplayReading(const QString &Reading)
{
    return formatEngineeringReading(Reading).value_or(Reading);
}

// The port lives where the instrument's work runs: it is opened and closed in the work's turn.
void FormMain::OpenCommPort()
{
    SerialPortControl *port = m_session.context().dvm1Comm();
    auto opened = std::make_shared<bool>(false);
    runMainStep(
        QStringLiteral("Open Comm Port"), false, [port, opened](OperationControl &) { *opened = port->open(); },
        [this, opened] {
            if (!*opened)
                m_prompts.message(QStringLiteral("Cannot open port"), kFrontPanelTitle, Prompts::Icon::Critical);
            UpdateStatusBar();
        });
}

void FormMain::CloseCommPort()
{
    SerialPortControl *port = m_session.context().dvm1Comm();
    auto stillOpen = std::make_shared<bool>(false);
    runMainStep(
        QStringLiteral("Close Comm Port"), false,
        [port, stillOpen](OperationControl &) {
            port->close();
            *stillOpen = port->isOpen();
        },
        [this, stillOpen] {
            if (*stillOpen)
                m_prompts.message(QStringLiteral("Cannot Close Port"), kFrontPanelTitle, Prompts::Icon::Critical);
            UpdateStatusBar();
        });
}

void FormMain::ShowCommActivity(const QString &replySoFar)
{
    FormProgress::feedVisible(replySoFar);
    QString text = m_panel2->text() + QLatin1Char('|');
    if (text.size() >= kActivityPanelWrap)
        text.clear();
    m_panel2->setText(text);
}

QString FormMain::statusPanelText(int panel) const
{
    return panel == 1 ? m_panel1->text() : m_panel2->text();
}

void FormMain::showModeless(QWidget *window)
{
    if (!window->isWindow())
        window->setWindowFlag(Qt::Window, true);
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    m_modeless.removeAll(nullptr);
    if (!m_modeless.contains(window))
        m_modeless.append(window);
    // Opened again while its close waited for its operation to stop: the engineer wants it, so it
    // stays (the operation has been asked to stop all the same).
    if (auto *operations = window->findChild<WindowOperations *>(QString(), Qt::FindDirectChildrenOnly))
        operations->keepOpen();
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget *FormMain::findModeless(const std::function<bool(QWidget *)> &match) const
{
    for (const QPointer<QWidget> &w : m_modeless) {
        if (w && match(w))
            return w;
    }
    return nullptr;
}

// --- handlers -----------------------------------------------------------------------------------

void FormMain::runAction(MainAction action)
{
    const MainActions::Handler handler = m_actions.handler(action);
    if (!handler || m_endWhenIdle)
        return;
    handler(*this);
}

void FormMain::Command_Autolocate_Click()
{
    if (!m_autoLocate) {
        m_autoLocate = new FormAutoLocate(m_session, m_prompts, this);
        m_autoLocate->setAttribute(Qt::WA_DeleteOnClose, true);
    }
    m_autoLocate->show();
    m_autoLocate->raise();
    m_autoLocate->SetShowDetails(false);
    // The search waits its turn behind whatever runs; what it found is asked for after it.
    auto busy = std::make_shared<BusyScope>(*this);
    m_autoLocate->Locate_All([this, busy](bool found) {
        if (found)
            Command_GetInfo_Click();
        UpdateStatusBar();
    });
}

void FormMain::Command_SetupSerial_Click()
{
    openModalWindow([this] {
        FormOptions options(m_session, m_prompts, this);
        options.exec();
    });
}

void FormMain::MenuOptionsOptions_Click()
{
    UpdateStatusBar();
    Command_SetupSerial_Click();
}

void FormMain::openModalWindow(std::function<void()> exec)
{
    OperationQueue &queue = m_session.operations();
    // While the queue runs its work on this thread, a click handled during an operation's wait
    // is inside that operation: a window opened now would hold the operation until it closed,
    // and its own actions would wait behind it. It opens once the operation has returned.
    if (queue.isBusy() && queue.workThread() == QThread::currentThread()) {
        if (m_modalPending)
            return; // asked for again meanwhile: it opens once
        m_modalPending = true;
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(&queue, &OperationQueue::busyChanged, this, [this, once, exec = std::move(exec)](bool busy) {
            if (busy)
                return;
            disconnect(*once);
            QTimer::singleShot(0, this, [this, exec] {
                m_modalPending = false;
                if (!m_endWhenIdle)
                    openModalWindow(exec);
            });
        });
        return;
    }
    exec();
    UpdateStatusBar();
}

void FormMain::runMainStep(const QString &name, bool writes, std::function<void(OperationControl &)> work,
                           std::function<void()> after)
{
    // The buttons come back when the step has ended, or when it is dropped unrun.
    auto busy = std::make_shared<BusyScope>(*this);
    OperationQueue::Request request;
    request.name = name;
    request.effect = writes ? OperationQueue::Effect::Writes : OperationQueue::Effect::Reads;
    request.work = std::move(work);
    request.done = [busy, after = std::move(after)] {
        if (after)
            after();
    };
    m_session.operations().submit(this, std::move(request));
}

void FormMain::Command_GetInfo_Click()
{
    m_info->clear();
    if (!m_session.dvm())
        return;
    InstrumentSession *session = &m_session;
    auto reply = std::make_shared<QString>();
    runMainStep(
        QStringLiteral("Update"), false,
        [session, reply](OperationControl &) {
            if (IDVM *dvm = session->dvm())
                *reply = dvm->SendString(QStringLiteral("T"), true, kInfoTimeout, kGatherToStatusLine);
            systemClock().pause(kInfoSettleMs);
        },
        [this, reply] {
            m_info->setPlainText(displayText(InformationText::boxText(*reply)));
            UpdateStatusBar();
        });
}

void FormMain::Command_Reboot_Click()
{
    if (!m_session.dvm())
        return;
    // While the instrument starts again the box says so, then shows what it answers once back.
    InstrumentChannel *channel = &m_session.channel();
    auto restart = std::make_shared<InstrumentRestart::Result>();
    runMainStep(
        QStringLiteral("Reboot"), true,
        [channel, restart](OperationControl &control) {
            *restart = InstrumentRestart(*channel).run([&control](const QString &text) { control.reportStatus(text); });
        },
        [this, restart] {
            if (restart->answered)
                m_info->setPlainText(displayText(InformationText::boxText(restart->reply)));
            else if (restart->attempts > 0)
                m_info->setPlainText(InstrumentRestart::NoAnswer);
            UpdateStatusBar();
        });
}

void FormMain::runDriverStep(const QString &name, std::function<void(IDVM &)> send)
{
    // The driver is looked up when the step's turn comes: a location window may replace it
    // while the step waits.
    InstrumentSession *session = &m_session;
    runMainStep(
        name, true,
        [session, send = std::move(send)](OperationControl &) {
            if (IDVM *dvm = session->dvm())
                send(*dvm);
        },
        [this] { UpdateStatusBar(); });
}

void FormMain::Command_SetupPassword_Click()
{
    runDriverStep(QStringLiteral("Setup Password"), [](IDVM &dvm) { SendSystemPassword(dvm); });
}

void FormMain::Command_SendPassword_Click()
{
    runDriverStep(QStringLiteral("Calibrate Password"), [](IDVM &dvm) { SendCalibratePassword(dvm); });
}

void FormMain::Command_SendExitPassword_Click()
{
    runDriverStep(QStringLiteral("Exit Password"), [](IDVM &dvm) {
        SendCalPassword(dvm);
        // "L" hands the front panel back; the instrument does not answer it.
        dvm.SendString(QStringLiteral("L"), false, kNoWaitTimeout, kGatherToStatusLine);
    });
}

void FormMain::Command_CloseComm_Click()
{
    SerialPortControl *port = m_session.context().dvm1Comm();
    // The panel would otherwise go on saying the port is open.
    runMainStep(
        QStringLiteral("Close Comm Port"), false,
        [port](OperationControl &) {
            if (port && port->isOpen())
                port->close();
        },
        [this] { UpdateStatusBar(); });
}

void FormMain::Command_Exit_Click()
{
    close();
}

void FormMain::AboutMenu_Click()
{
    StartForm about(this);
    about.setOkVisible(true);
    about.exec();
}
