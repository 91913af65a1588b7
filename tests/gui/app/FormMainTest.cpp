#include "gui/app/FormMain.h"

#include "AppTestSupport.h"
#include "gui/app/FormProgress.h"
#include "gui/app/Main.h"
#include "gui/app/StartupFindings.h"
#include "gui/app/WindowOpeners.h"
#include "gui/app/WindowPosition.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/locate/FormChooseInterface.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "locate/StartupRecovery.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

namespace {

using FormMainTest = AppTest;

const QString kNotFound = QStringLiteral("Calibrator Not Found. Please restart program.");

bool anyVisible(const char *className)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->inherits(className) && w->isVisible())
            return true;
    }
    return false;
}

// --- start-up ---------------------------------------------------------------------------------

TEST_F(FormMainTest, StartUpFindsTheCalibratorAndShowsHowItIsConnected)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_TRUE(main->isVisible());
    // "DVM1" is not set: the 5200 driver describes the connection the search made.
    const QString description =
        CreateDVM(QStringLiteral("5200"), session.context())->GetDescription().section(QLatin1Char('\r'), 0, 0);
    EXPECT_EQ(rows(*main, "Text_ConnectionStatus"), QStringList({description, QStringLiteral("RS232 Port 1")}));
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), QStringLiteral("1"));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("RS232"));
    // The location window is gone once the instrument is found.
    EXPECT_FALSE(anyVisible("FormAutoLocate"));
}

TEST_F(FormMainTest, StartUpWithoutAnAnsweringCalibratorSaysSoAndEnds)
{
    sim.knobs().silent = true;
    std::unique_ptr<FormMain> main = Main(session, prompts);
    EXPECT_EQ(main, nullptr);
    ASSERT_EQ(prompts.shown.size(), 1);
    // The first line as it always was, then what the diagnostics find wrong on this computer.
    EXPECT_EQ(prompts.shown[0].text, StartupRecovery::notFoundText(startupFindings()));
    EXPECT_EQ(prompts.shown[0].text.section(QLatin1Char('\n'), 0, 0), kNotFound);
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Critical);
    EXPECT_FALSE(anyVisible("FormAutoLocate"));
}

TEST_F(FormMainTest, NotFoundOffersTheInterfaceChooserAndEndsOnlyOnQuit)
{
    sim.knobs().silent = true;
    for (auto answer :
         {StartupRecovery::Choice::Retry, StartupRecovery::Choice::ChooseInterface, StartupRecovery::Choice::Quit})
        prompts.chosen.enqueue(int(answer));
    QString chooser;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&chooser] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            chooser = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    watcher.start(0);
    std::unique_ptr<FormMain> main = Main(session, prompts);
    watcher.stop();
    EXPECT_EQ(main, nullptr);
    EXPECT_EQ(chooser, QStringLiteral("FormChooseInterface"));
    ASSERT_EQ(prompts.shown.size(), 3);
    for (const auto &shown : prompts.shown) {
        EXPECT_EQ(shown.text.section(QLatin1Char('\n'), 0, 0), kNotFound);
        EXPECT_EQ(shown.choices, StartupRecovery::choiceCaptions());
    }
}

TEST_F(FormMainTest, TheInterfaceChooserOpensTheOptionsUsbAndEthernetWindows)
{
    FormChooseInterface chooser(session, prompts);
    chooser.show();
    const struct
    {
        const char *button;
        QString window;
    } cases[] = {
        {"Command_SerialGpib", QStringLiteral("FormOptions")},
        {"Command_USB", QStringLiteral("Form_USBLocator")},
        {"Command_Ethernet", QStringLiteral("Form_EthernetLocator")},
    };
    for (const auto &c : cases) {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                shown = QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        control(chooser, c.button)->click();
        EXPECT_EQ(shown, c.window) << c.button;
    }
}

TEST_F(FormMainTest, AtItsSmallestTheWindowFitsASmallScreenScrollsItsFramesAndShowsAnEthernetConnectionWhole)
{
    session.createDvm(QStringLiteral("5200"));
    ASSERT_TRUE(session.connect(Endpoint::ethernet(QStringLiteral("192.168.100.200"), 10001)));
    FormMain main(session, prompts);
    main.show();
    main.UpdateStatusBar();
    EXPECT_LE(main.minimumSizeHint().height(), 700);
    main.resize(main.minimumSizeHint());
    QCoreApplication::processEvents();
    EXPECT_LE(main.height(), 700);

    auto *scroll = main.findChild<QScrollArea *>(QStringLiteral("ScrollArea_Main"));
    ASSERT_NE(scroll, nullptr);
    // Every frame can still be reached, by scrolling.
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0) << "the frames keep their width";

    auto *box = control<QPlainTextEdit>(main, "Text_ConnectionStatus");
    ASSERT_EQ(box->blockCount(), 3) << box->toPlainText().toStdString();
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    EXPECT_LE(box->cursorRect(end).bottom(), box->viewport()->height()) << "the third line is cut";
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("Ethernet 192.168.100.200"));
}

TEST_F(FormMainTest, ASavedGpibConnectionThatAnswersIsUsedWithoutSearchingTheSerialPorts)
{
    Settings::setValue(SettingsKey::Interface, QStringLiteral("GPIB"));
    Settings::setValue(SettingsKey::GPIBPort, QStringLiteral("7"));
    ScriptedDVM &dvm = useScriptedDvm();
    dvm.responder = [](const QString &) { return QStringLiteral("Quorvadine,5241,1,2.13\r"); };
    int serialLines = 0;
    QObject::connect(&sim.front, &PtyFront::lineReceived, [&serialLines] { ++serialLines; });
    FormMain main(session, prompts);
    EXPECT_TRUE(main.Form_Load());
    EXPECT_EQ(dvm.commands(), QStringList({QStringLiteral("*IDN?")}));
    EXPECT_EQ(dvm.GetInterfaceType(), int(InterfaceGPIB));
    EXPECT_EQ(dvm.endpoint(), Endpoint::gpib(7));
    EXPECT_EQ(serialLines, 0);
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("GPIB"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(FormMainTest, ASavedEthernetModuleIsLoadedIntoTheDeviceRecord)
{
    Settings::setValue(SettingsKey::Interface, QStringLiteral("Ethernet"));
    Settings::setValue(SettingsKey::EthernetIP, QStringLiteral("127.0.0.1"));
    Settings::setValue(SettingsKey::EthernetPort, QStringLiteral("10001"));
    Settings::setValue(SettingsKey::EthernetMAC, QStringLiteral("00-20-4A-01-02-03"));
    ScriptedDVM &dvm = useScriptedDvm();
    dvm.responder = [](const QString &) { return QStringLiteral("Quorvadine,5241,1,2.13\r"); };
    FormMain main(session, prompts);
    EXPECT_TRUE(main.Form_Load());
    EXPECT_EQ(dvm.GetInterfaceType(), int(InterfaceEthernet));
    EXPECT_EQ(session.ethernetDevice.IP, QStringLiteral("127.0.0.1").leftJustified(EthernetModuleRecord::kIpLength));
    EXPECT_EQ(session.ethernetDevice.Port, 10001);
    EXPECT_EQ(session.ethernetDevice.MAC.trimmed(), QStringLiteral("00-20-4A-01-02-03"));
}

TEST_F(FormMainTest, ASavedUsbDeviceThatDoesNotAnswerFallsBackToTheSerialSearch)
{
    Settings::setValue(SettingsKey::Interface, QStringLiteral("USB"));
    Settings::setValue(SettingsKey::USBSerialNumber, QStringLiteral("FT123456"));
    ScriptedDVM &dvm = useScriptedDvm();
    dvm.responder = [](const QString &) { return QString(); };
    FormMain main(session, prompts);
    EXPECT_TRUE(main.Form_Load());
    EXPECT_EQ(session.usbDevice.SerialNumber, QStringLiteral("FT123456"));
    // The serial search found the virtual calibrator and put DVM on its port.
    EXPECT_EQ(dvm.GetInterfaceType(), int(InterfaceRS232));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("RS232"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(FormMainTest, ASavedRs232ConnectionSendsNothingBeforeTheSearch)
{
    Settings::setValue(SettingsKey::Interface, QStringLiteral("RS232"));
    ScriptedDVM &dvm = useScriptedDvm();
    FormMain main(session, prompts);
    EXPECT_TRUE(main.Form_Load());
    EXPECT_TRUE(dvm.commands().isEmpty());
}

// --- the short commands -------------------------------------------------------------------------

TEST_F(FormMainTest, InformationRowsAreLabelledByPosition)
{
    const struct
    {
        const char *reply;
        QStringList rows;
    } cases[] = {
        {"2.13\rSN 1\r5241\r08/12/2026\r10:00:00\r",
         {"Version :2.13", "SN 1", "Model :5241", "Date :08/12/2026", "Time :10:00:00"}},
        {"2.13\rSN 1\r5241\r", {"Version :2.13", "SN 1", "Model :5241"}},
        {"TIMEOUT", {"Version :TIMEOUT"}},
    };
    ScriptedDVM &dvm = useScriptedDvm();
    FormMain main(session, prompts);
    for (const auto &c : cases) {
        dvm.responder = [&c](const QString &) { return QString::fromLatin1(c.reply); };
        dvm.sent.clear();
        control(main, "Command_GetInfo")->click();
        EXPECT_EQ(rows(main, "Text_Info"), c.rows) << c.reply;
        ASSERT_EQ(dvm.sent.size(), 1);
        EXPECT_EQ(dvm.sent[0].command, QStringLiteral("T"));
        EXPECT_TRUE(dvm.sent[0].waitForAck);
        EXPECT_EQ(dvm.sent[0].timeout, 5);
        EXPECT_EQ(dvm.sent[0].packetEndCondition, 1);
    }
}

TEST_F(FormMainTest, UpdateShowsTheCalibratorsInformationAndASilentOneTimesOut)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    control(*main, "Command_GetInfo")->click();
    const QStringList info = rows(*main, "Text_Info");
    ASSERT_GE(info.size(), 5) << info.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(info[0], QStringLiteral("Version :Version 2.13"));
    EXPECT_EQ(info[2], QStringLiteral("Model :5241"));
    EXPECT_EQ(info[3], QStringLiteral("Date :08/12/2026"));
    EXPECT_TRUE(info[4].startsWith(QLatin1String("Time :10:00:")));
    EXPECT_EQ(main->statusPanelText(1), QStringLiteral("Com1 Open"));

    sim.knobs().silent = true;
    const qint64 before = fake.clock.nowMs();
    control(*main, "Command_GetInfo")->click();
    EXPECT_EQ(rows(*main, "Text_Info"), QStringList({QStringLiteral("Version :TIMEOUT")}));
    EXPECT_GE(fake.clock.nowMs() - before, 5000);
}

TEST_F(FormMainTest, ExitSetupModeSendsTheExitPasswordThenLWithoutWaiting)
{
    ScriptedDVM &dvm = useScriptedDvm();
    FormMain main(session, prompts);
    control(main, "Command_SendExitPassword")->click();
    ASSERT_EQ(dvm.sent.size(), 2);
    EXPECT_EQ(dvm.sent[0].command, QStringLiteral("CAL:PASSWORD 0"));
    EXPECT_TRUE(dvm.sent[0].waitForAck);
    EXPECT_EQ(dvm.sent[1].command, QStringLiteral("L"));
    EXPECT_FALSE(dvm.sent[1].waitForAck);
    EXPECT_EQ(dvm.sent[1].timeout, 10);
    EXPECT_EQ(dvm.sent[1].packetEndCondition, 1);

    dvm.sent.clear();
    control(main, "Command_Reboot")->click();
    // The restart is not waited for; the information query that follows it is.
    ASSERT_EQ(dvm.sent.size(), 2);
    EXPECT_EQ(dvm.sent[0].command, QStringLiteral("SYSTEM:REBOOT"));
    EXPECT_FALSE(dvm.sent[0].waitForAck);
    EXPECT_EQ(dvm.sent[1].command, QStringLiteral("T"));
}

TEST_F(FormMainTest, RebootShowsTheInformationOnceTheInstrumentIsBackNotATimeOut)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    auto *info = control<QPlainTextEdit>(*main, "Text_Info");
    QStringList shownMeanwhile;
    QObject::connect(info, &QPlainTextEdit::textChanged, [&] { shownMeanwhile << info->toPlainText(); });

    control(*main, "Command_Reboot")->click();
    const QStringList back = rows(*main, "Text_Info");
    ASSERT_GE(back.size(), 3) << back.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(back[0], QStringLiteral("Version :Version 2.13"));
    EXPECT_TRUE(shownMeanwhile.contains(QStringLiteral("Instrument restarting...")))
        << shownMeanwhile.join(QLatin1Char('|')).toStdString();

    // An instrument that does not come back is said to be so, not "Version :TIMEOUT".
    sim.knobs().silent = true;
    control(*main, "Command_Reboot")->click();
    EXPECT_EQ(
        rows(*main, "Text_Info"),
        QStringList({QStringLiteral("No answer after the restart."), QStringLiteral("Press Update to ask again.")}));
}

TEST_F(FormMainTest, PasswordButtonsEnterSetupModeAndExitSetupModeHandsTheFrontPanelBack)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    control(*main, "Command_SetupPassword")->click();
    EXPECT_TRUE(sim.memory().systemUnlocked());
    control(*main, "Command_SendPassword")->click();
    EXPECT_TRUE(sim.memory().calibrationUnlocked());
    EXPECT_TRUE(sim.memory().remote());

    control(*main, "Command_SendExitPassword")->click();
    // "L" went out without a wait: give the calibrator a moment to hear it.
    fake.clock.pause(100);
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_FALSE(sim.memory().remote());
    // The commands ran with every command button but Exit disabled; all are back now.
    EXPECT_TRUE(control(*main, "Command_GetInfo")->isEnabled());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(FormMainTest, CloseCommPortClosesThePortAndThePanelSaysSo)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    control(*main, "Command_GetInfo")->click();
    ASSERT_TRUE(session.context().dvm1Comm()->isOpen());
    EXPECT_EQ(main->statusPanelText(1), QStringLiteral("Com1 Open"));
    control(*main, "Command_CloseComm")->click();
    EXPECT_FALSE(session.context().dvm1Comm()->isOpen());
    EXPECT_EQ(main->statusPanelText(1), QString());
    // Closing a closed port is no error.
    control(*main, "Command_CloseComm")->click();
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(FormMainTest, DisplayReadingLeavesATextWithoutExponentAlone)
{
    FormMain main(session, prompts);
    EXPECT_EQ(main.DisplayReading(QStringLiteral("1.5e-04")), QStringLiteral("0.150m"));
    EXPECT_EQ(main.DisplayReading(QStringLiteral("OVERLOAD")), QStringLiteral("OVERLOAD"));
}

// --- activity indicator -------------------------------------------------------------------------

TEST_F(FormMainTest, ActivityPanelGrowsByOneBarPerStepAndEmptiesAt26)
{
    FormMain main(session, prompts);
    for (int step = 1; step <= 25; ++step)
        session.context().state().showCommActivity(QString());
    EXPECT_EQ(main.statusPanelText(2), QString(25, QLatin1Char('|')));
    session.context().state().showCommActivity(QString());
    EXPECT_EQ(main.statusPanelText(2), QString());
    session.context().state().showCommActivity(QString());
    EXPECT_EQ(main.statusPanelText(2), QStringLiteral("|"));
}

TEST_F(FormMainTest, ActivityFeedsTheProgressWindowOnlyWhileItIsVisible)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    FormProgress progress(main.get());
    progress.SetMaxLines(10);
    control(*main, "Command_GetInfo")->click();
    EXPECT_EQ(progress.model().value(), 0) << "hidden";

    progress.show();
    sim.knobs().splitPieces = 3;
    sim.knobs().splitGapMs = 200;
    control(*main, "Command_GetInfo")->click();
    // Fed with the reply as it grew: every line but the last had arrived at some step.
    EXPECT_GE(progress.model().value(), 3);
    EXPECT_NE(progress.model().message(), QStringLiteral("Waiting for reply..."));
}

TEST_F(FormMainTest, AutolocateSearchesAgainAndFillsTheInformationWhenFound)
{
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(rows(*main, "Text_Info"), QStringList({QString()}));
    control(*main, "Command_Autolocate")->click();
    session.operations().waitUntilIdle();
    // The location window stays open for the user to read; the information was asked for.
    EXPECT_TRUE(anyVisible("FormAutoLocate"));
    EXPECT_EQ(rows(*main, "Text_Info").value(2), QStringLiteral("Model :5241"));
    EXPECT_TRUE(control(*main, "Command_Autolocate")->isEnabled());
}

TEST_F(FormMainTest, OptionsAndAboutOpenTheirWindowsModally)
{
    FormMain main(session, prompts);
    main.show();
    const struct
    {
        std::function<void()> open;
        QString shown;
    } cases[] = {
        {[&main] { control(main, "Command_SetupSerial")->click(); }, QStringLiteral("FormOptions")},
        {[&main] { control<QAction>(main, "MenuOptionsOptions")->trigger(); }, QStringLiteral("FormOptions")},
        {[&main] { control<QAction>(main, "AboutMenu")->trigger(); }, QStringLiteral("StartForm with OK")},
    };
    for (const auto &c : cases) {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            shown = QString::fromLatin1(modal->metaObject()->className());
            if (auto *ok = modal->findChild<QPushButton *>(QStringLiteral("OKBut")); ok && ok->isVisible())
                shown += QStringLiteral(" with OK");
            modal->close();
        });
        c.open();
        EXPECT_EQ(shown, c.shown);
    }
}

// --- closing ----------------------------------------------------------------------------------------

TEST_F(FormMainTest, ClosingSavesThePositionInTwipsButNotWhenMinimised)
{
    {
        FormMain main(session, prompts);
        main.show();
        main.showMinimized();
        main.close();
        EXPECT_FALSE(Settings::contains(SettingsKey::MainLeft));
        EXPECT_FALSE(Settings::contains(SettingsKey::MainTop));
    }
    FormMain main(session, prompts);
    main.show();
    main.move(100, 60);
    QCoreApplication::processEvents();
    const QPoint at = main.pos();
    const double dpi = main.screen()->logicalDotsPerInchX();
    main.close();
    EXPECT_EQ(Settings::value(SettingsKey::MainLeft).toDouble(), WindowPosition::pixelsToTwips(at.x(), dpi));
    EXPECT_EQ(Settings::value(SettingsKey::MainTop).toDouble(), WindowPosition::pixelsToTwips(at.y(), dpi));
}

TEST_F(FormMainTest, AStoredPositionIsRestoredAndOneOffTheScreenIsBroughtBack)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    const QPoint wanted = area.topLeft() + QPoint(20, 30);
    Settings::setValue(SettingsKey::MainLeft,
                       WindowPosition::twipsText(WindowPosition::pixelsToTwips(wanted.x(), dpi)));
    Settings::setValue(SettingsKey::MainTop, WindowPosition::twipsText(WindowPosition::pixelsToTwips(wanted.y(), dpi)));
    {
        std::unique_ptr<FormMain> main = Main(session, prompts);
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->pos(), wanted);
    }
    Settings::setValue(SettingsKey::MainLeft, QStringLiteral("-300000"));
    Settings::setValue(SettingsKey::MainTop, QStringLiteral("90"));
    std::unique_ptr<FormMain> main = Main(session, prompts);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(area.contains(main->frameGeometry().topLeft())) << main->pos().x() << "," << main->pos().y();
}

TEST_F(FormMainTest, ClosingTheMainWindowClosesTheWindowsItOpened)
{
    FormMain main(session, prompts);
    QPointer<QDialog> first = new QDialog(&main);
    QPointer<QDialog> second = new QDialog(&main);
    main.showModeless(first);
    main.showModeless(second);
    bool ended = false;
    QObject::connect(&main, &FormMain::unloaded, [&ended] { ended = true; });
    main.close();
    EXPECT_TRUE(ended);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}

// --- windows of other parts of the program ----------------------------------------------------

/// A window as the later parts of the program make them.
class ProbeWindow : public QDialog
{
public:
    ProbeWindow(InstrumentSession &, Prompts &, QWidget *parent) : QDialog(parent) { ++made; }
    static inline int made = 0;
};

TEST_F(FormMainTest, AControlIsEnabledExactlyWhenItsWindowIsRegistered)
{
    MainActions actions;
    actions.add(MainAction::CalibrationFactors, openModeless<ProbeWindow>);
    int tasks = 0;
    actions.add(MainAction::PerformSetupTasks, [&tasks](FormMain &) { ++tasks; });
    FormMain main(session, prompts, actions);

    EXPECT_TRUE(control(main, "Command_CalFactors")->isEnabled());
    EXPECT_TRUE(control<QAction>(main, "MenuSetupCal")->isEnabled());
    EXPECT_FALSE(control(main, "Command_Specifications")->isEnabled());
    EXPECT_FALSE(control<QAction>(main, "MenuSetupSpecifications")->isEnabled());
    EXPECT_FALSE(control(main, "Command_SetDefaultSpec")->isEnabled());
    EXPECT_TRUE(control(main, "Command_SetupTasks")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>(main, "Check_Date")->isEnabled());
    EXPECT_TRUE(control<QLineEdit>(main, "Text_UserPassword")->isEnabled());

    ProbeWindow::made = 0;
    control(main, "Command_CalFactors")->click();
    control<QAction>(main, "MenuSetupCal")->trigger();
    // The second press brings the open window forward instead of making another.
    EXPECT_EQ(ProbeWindow::made, 1);
    control(main, "Command_SetupTasks")->click();
    EXPECT_EQ(tasks, 1);

    FormMain plain(session, prompts, MainActions());
    EXPECT_FALSE(control(plain, "Command_CalFactors")->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(plain, "Check_Date")->isEnabled());
    EXPECT_TRUE(control(plain, "Command_Autolocate")->isEnabled());
}

} // namespace
