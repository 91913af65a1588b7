#include "fixtures/SimEthernet.h"
#include "fixtures/SimGpib.h"
#include "fixtures/SimUsb.h"
#include "gui/app/AppTestSupport.h"
#include "gui/app/FormMain.h"
#include "gui/common/WindowOperations.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/locate/FormOptions.h"
#include "gui/locate/Form_EthernetLocator.h"
#include "gui/locate/Form_USBLocator.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

/// The location windows' actions as operations of their own, against the virtual calibrator on
/// every front at once: COM1 (the other windows' exchanges), a USB bridge, an Ethernet module and
/// the GPIB bus at address 6.
class LocationWindowOperationsTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ASSERT_TRUE(ethernet.isOpen());
        usb.addCalibrator(QStringLiteral("6481"), "Quorvadine USB-232", "QV1");
        usb.install(session);
        session.context().setGpibBus(gpib.bus);
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.connect(Endpoint::serialPort(1));
        // What the queue does for the window under test, in order with what the test notes.
        OperationQueue &queue = session.operations();
        QObject::connect(&queue, &OperationQueue::started, &other, [this](QObject *owner) {
            if (window && owner == window.data())
                log << QStringLiteral("window starts");
        });
        QObject::connect(&queue, &OperationQueue::finished, &other, [this](QObject *owner) {
            if (window && owner == window.data())
                log << QStringLiteral("window ends");
        });
    }
    void TearDown() override { delete window; }

    /// Shows the window, as the user would open it, with its opening work (port listing,
    /// discovery, device listing) done; nothing of it has been noted.
    QDialog &open(QDialog *form)
    {
        delete window;
        window = form;
        form->show();
        QCoreApplication::processEvents();
        session.operations().waitUntilIdle();
        log.clear();
        return *form;
    }

    /// Another window's operation: an exchange on COM1, a pause in the middle of which `during`
    /// runs (the events the wait lets through), another exchange.
    void otherWindowsOperation(std::function<void()> during)
    {
        OperationQueue::Request request;
        request.name = QStringLiteral("Read");
        request.work = [this, during](OperationControl &) {
            log << QStringLiteral("other begins");
            session.channel().SendString(QStringLiteral("T"), true, 5, 1);
            fake.clock.schedule(500, &other, during);
            systemClock().pause(1000);
            session.channel().SendString(QStringLiteral("T"), true, 5, 1);
            log << QStringLiteral("other ends");
        };
        session.operations().submit(&other, std::move(request));
    }

    template <class T = QWidget>
    T *in(QDialog &form, const char *name)
    {
        T *found = form.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    /// A click, and a second press that a disabled button would not let through.
    void pressTwice(QDialog &form, const char *button)
    {
        QPushButton *b = in<QPushButton>(form, button);
        b->click();
        emit b->clicked(false);
    }
    static void key(QWidget *target, int key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
    }
    /// Runs the scheduled callback during the window's own work; notes whether it was.
    void duringWindowsWork(QDialog &form, std::function<void()> then)
    {
        fake.clock.schedule(1, &form, [this, &form, then] {
            ranDuringWork = session.operations().isRunning(&form);
            then();
        });
    }

    SimUsb usb;
    SimEthernet ethernet;
    SimGpib gpib{6};
    QObject other;
    QPointer<QDialog> window;
    QStringList log;
    bool ranDuringWork = false;
};

struct WindowAction
{
    const char *name;
    std::function<QDialog *()> make;
    /// What the user has done in the window before the press (typed, chosen).
    std::function<void(QDialog &)> prepare;
    /// The press, twice where the second one would reach the window.
    std::function<void(QDialog &)> press;
    /// The line that says what the action waits for, and a control that is off meanwhile.
    const char *statusLine;
    const char *offWhileWaiting;
    std::function<void(QDialog &)> carriedOut;
};

TEST_F(LocationWindowOperationsTest, AnActionPressedWhileAnotherWindowsOperationRunsWaitsItsTurnThenIsCarriedOut)
{
    const WindowAction actions[] = {
        {"USB Autolocate",
         [this] { return new Form_USBLocator(session, prompts); },
         {},
         [this](QDialog &form) { pressTwice(form, "Command_Autodetect"); },
         "Label_Status",
         "Command_Autodetect",
         [this](QDialog &) {
             EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB);
             EXPECT_EQ(session.usbDevice.SerialNumber, QStringLiteral("QV1"));
         }},
        {"USB ID?", [this] { return new Form_USBLocator(session, prompts); },
         [this](QDialog &) { session.usbDevice.SerialNumber = QStringLiteral("QV1"); },
         [this](QDialog &form) { pressTwice(form, "Command_testID"); }, "Label_Status", "Command_testID",
         [this](QDialog &form) {
             EXPECT_TRUE(
                 in<QPlainTextEdit>(form, "Text2")->toPlainText().startsWith(QLatin1String("Quorvadine,6481,")));
         }},
        {"Ethernet Find Modules", [this] { return new Form_EthernetLocator(session, prompts); },
         [this](QDialog &) { session.connect(Endpoint::serialPort(1)); },
         [this](QDialog &form) { pressTwice(form, "Command_BroadcastFind"); }, "Label_Status", "Command_Select",
         [this](QDialog &) { EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceEthernet); }},
        {"Ethernet test line", [this] { return new Form_EthernetLocator(session, prompts); },
         [this](QDialog &form) { in<QLineEdit>(form, "Text2")->setText(QStringLiteral("*IDN?")); },
         [this](QDialog &form) {
             key(in(form, "Text2"), Qt::Key_Return);
             key(in(form, "Text2"), Qt::Key_Return);
         },
         "Label_Status", "Command_BroadcastFind",
         [this](QDialog &form) {
             EXPECT_TRUE(
                 in<QPlainTextEdit>(form, "Text1")->toPlainText().startsWith(QLatin1String("Quorvadine,5241,")));
         }},
        {"GPIB Search Bus",
         [this] { return new FormOptions(session, prompts); },
         {},
         [this](QDialog &form) { pressTwice(form, "Command_SearchBus"); },
         "Label_BusStatus",
         "Command_OK",
         [this](QDialog &form) {
             auto *list = in<QListWidget>(form, "List_Instruments");
             ASSERT_EQ(list->count(), 1);
             EXPECT_TRUE(list->item(0)->text().startsWith(QLatin1String("6: Quorvadine,5241,")));
         }},
        {"Options OK", [this] { return new FormOptions(session, prompts); },
         [this](QDialog &form) {
             in<QRadioButton>(form, "Option_GPIB")->setChecked(true);
             in<QLineEdit>(form, "Text_GPIBAddress")->setText(QStringLiteral("6"));
         },
         [this](QDialog &form) { pressTwice(form, "Command_OK"); }, "Label_Status", "Command_SearchBus",
         [this](QDialog &form) {
             EXPECT_EQ(form.result(), QDialog::Accepted);
             EXPECT_FALSE(form.isVisible());
             EXPECT_EQ(session.dvm()->GetDescription(), QStringLiteral("Quorvadine 5200\r\nGPIB Address 6"));
         }},
        {"Find 6481", [this] { return new FormAutoLocate(session, prompts); },
         [](QDialog &) { Settings::remove(SettingsKey::CommPort); },
         [this](QDialog &form) { pressTwice(form, "Command_Locate6481"); }, "Label_Progress", nullptr,
         [this](QDialog &) { EXPECT_EQ(Settings::value(SettingsKey::CommPort), QStringLiteral("1")); }},
    };
    const QStringList inTurn = {"other begins", "pressed", "other ends", "window starts", "window ends"};
    for (const WindowAction &action : actions) {
        SCOPED_TRACE(action.name);
        QDialog &form = open(action.make());
        if (action.prepare)
            action.prepare(form);
        QString saidWhileWaiting;
        bool offWhileWaiting = false;
        otherWindowsOperation([&] {
            action.press(form);
            log << QStringLiteral("pressed");
            saidWhileWaiting = in<QLabel>(form, action.statusLine)->text();
            offWhileWaiting = action.offWhileWaiting && !in(form, action.offWhileWaiting)->isEnabled();
        });
        session.operations().waitUntilIdle();

        // Once, after the other operation's last exchange.
        EXPECT_EQ(log, inTurn);
        EXPECT_EQ(saidWhileWaiting, WindowOperations::waitingText(QStringLiteral("Read")));
        EXPECT_EQ(offWhileWaiting, action.offWhileWaiting != nullptr);
        action.carriedOut(form);
        EXPECT_NE(in<QLabel>(form, action.statusLine)->text(), saidWhileWaiting);
        if (action.offWhileWaiting && form.isVisible()) {
            EXPECT_TRUE(in(form, action.offWhileWaiting)->isEnabled());
        }
    }
}

struct ClosingDuringWork
{
    const char *name;
    std::function<QDialog *()> make;
    /// Starts an action whose work waits (so events run during it).
    std::function<void(QDialog &)> start;
    /// Presses the window's actions again while it runs.
    std::function<void(QDialog &)> pressAgain;
    /// Closes the window the user's way, or destroys it (its parent went).
    std::function<void(QPointer<QDialog> &)> close;
    /// What the finished action left, with the window closed (or gone) after it.
    std::function<void(QPointer<QDialog> &)> after;
};

TEST_F(LocationWindowOperationsTest, ClosingDuringTheWindowsOperationClosesItOnlyAfterTheWorkAndOnePressRuns)
{
    const ClosingDuringWork cases[] = {
        {"USB Exit during Autolocate", [this] { return new Form_USBLocator(session, prompts); },
         [](QDialog &form) { form.findChild<QPushButton *>(QStringLiteral("Command_Autodetect"))->click(); },
         [this](QDialog &form) {
             for (const char *button : {"Command_Locate", "Command_Autodetect", "Command_testID"})
                 emit in<QPushButton>(form, button)->clicked(false);
         },
         [this](QPointer<QDialog> &form) { in<QPushButton>(*form, "Command_Exit")->click(); },
         [this](QPointer<QDialog> &) { EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB); }},
        {"USB Escape during the listing", [this] { return new Form_USBLocator(session, prompts); },
         [](QDialog &form) { form.findChild<QPushButton *>(QStringLiteral("Command_Locate"))->click(); },
         [this](QDialog &form) { emit in<QPushButton>(form, "Command_SelectUSB")->clicked(false); },
         [](QPointer<QDialog> &form) { key(form, Qt::Key_Escape); },
         [this](QPointer<QDialog> &form) {
             EXPECT_EQ(in<QTreeWidget>(*form, "ListView_USBDevices")->topLevelItemCount(), 1);
         }},
        {"Ethernet title-bar close during Find Modules", [this] { return new Form_EthernetLocator(session, prompts); },
         [](QDialog &form) { form.findChild<QPushButton *>(QStringLiteral("Command_BroadcastFind"))->click(); },
         [](QDialog &form) { static_cast<Form_EthernetLocator &>(form).Command_BroadcastFind_Click(); },
         [](QPointer<QDialog> &form) { form->close(); },
         [this](QPointer<QDialog> &form) {
             EXPECT_EQ(in<QTreeWidget>(*form, "ListView_Modules")->topLevelItemCount(), 1);
         }},
        {"Options Cancel during the bus search", [this] { return new FormOptions(session, prompts); },
         [](QDialog &form) { form.findChild<QPushButton *>(QStringLiteral("Command_SearchBus"))->click(); },
         [this](QDialog &form) { emit in<QPushButton>(form, "Command_OK")->clicked(false); },
         [this](QPointer<QDialog> &form) { in<QPushButton>(*form, "Command_Cancel")->click(); },
         [this](QPointer<QDialog> &form) {
             // The close ends the search at the next address; what it had found by then was shown
             // before the window closed. OK changed nothing.
             const int found = in<QListWidget>(*form, "List_Instruments")->count();
             EXPECT_EQ(in<QLabel>(*form, "Label_BusStatus")->text(),
                       found ? QStringLiteral("%1 instrument(s) found.").arg(found)
                             : QStringLiteral("No instrument answers on the bus."));
             EXPECT_EQ(form->result(), QDialog::Rejected);
             EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceRS232);
         }},
        {"Options destroyed during the bus search",
         [this] { return new FormOptions(session, prompts); },
         [](QDialog &form) { form.findChild<QPushButton *>(QStringLiteral("Command_SearchBus"))->click(); },
         {},
         [](QPointer<QDialog> &form) { delete form; },
         [](QPointer<QDialog> &) {}},
        {"USB destroyed during Autolocate",
         [this] { return new Form_USBLocator(session, prompts); },
         [](QDialog &form) { form.findChild<QPushButton *>(QStringLiteral("Command_Autodetect"))->click(); },
         {},
         [](QPointer<QDialog> &form) { delete form; },
         // The work held no part of the window: it went on to its end.
         [this](QPointer<QDialog> &) { EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB); }},
    };
    for (const ClosingDuringWork &c : cases) {
        SCOPED_TRACE(c.name);
        session.connect(Endpoint::serialPort(1));
        QPointer<QDialog> form = &open(c.make());
        ranDuringWork = false;
        bool stayedWhileWorking = false;
        duringWindowsWork(*form, [&] {
            if (c.pressAgain)
                c.pressAgain(*form);
            c.close(form);
            stayedWhileWorking = !form || form->isVisible();
        });
        c.start(*form);
        session.operations().waitUntilIdle();
        QCoreApplication::processEvents(); // the close put off until the work had ended

        EXPECT_TRUE(ranDuringWork);
        EXPECT_TRUE(stayedWhileWorking);
        if (form) {
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(log, QStringList({"window starts", "window ends"})) << "one press ran";
        }
        c.after(form);
    }
}

// Today the work runs on the windows' thread, so the press comes inside the other operation's
// wait: a window opened there would hold that operation until it closed.
TEST_F(LocationWindowOperationsTest, ALocationWindowAskedForDuringAnotherWindowsOperationOpensOnceAfterIt)
{
    FormMain main(session, prompts);
    main.show();
    QStringList opened;
    QPointer<QWidget> seen;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (modal != seen)
            opened << QString::fromLatin1(modal->metaObject()->className())
                    + (log.contains(QStringLiteral("other ends")) ? QStringLiteral(" after")
                                                                  : QStringLiteral(" inside"));
        seen = modal;
        modal->close();
    });
    closer.start(0);
    otherWindowsOperation([&] {
        control(main, "Command_SetupUSB")->click();
        control(main, "Command_SetupSerial")->click();
    });
    session.operations().waitUntilIdle();
    // Until it has opened and closed. A second window kept for later would open from the same
    // turn of the event loop, inside the first one's.
    for (QDeadlineTimer cap(5000); (opened.isEmpty() || QApplication::activeModalWidget()) && !cap.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    closer.stop();
    EXPECT_EQ(opened, QStringList{QStringLiteral("Form_USBLocator after")});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
