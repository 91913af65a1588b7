#include "gui/caldata/FormCalFactors.h"

#include "caldata/CalFactorTable.h"
#include "caldata/CalFile.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "gui/app/FormMain.h"
#include "session/InstrumentSession.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using State = CalFactorTable::CellState;

const char *const kCommandButtons[] = {
    "Command_LoadAllCalFactors", "Command_SaveAll",  "Command_ClearAll", "Command_FileLoad",
    "Command_FileCompare",       "Command_FileSave", "Command_Backup",   "Command_Restore"};

void sendKey(QWidget *to, int key, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &release);
}

class FormCalFactorsTest : public ::testing::Test
{
protected:
    FormCalFactorsTest()
    {
        auto scripted = std::make_unique<ScriptedDVM>();
        dvm = scripted.get();
        session.setDvm(std::move(scripted));
        form = new FormCalFactors(session, prompts, [this](const QString &text) { statuses << text; });
        form->show();
        form->activateWindow();
        QApplication::processEvents();
        grid = form->findChild<QTableView *>(QStringLiteral("CalGrid"));
        editor = form->findChild<QLineEdit *>(QStringLiteral("Text_Edit"));
    }
    ~FormCalFactorsTest() override { delete form.data(); }

    QPushButton *button(const char *name) const { return form->findChild<QPushButton *>(QString::fromLatin1(name)); }
    CalFactorTable &table() { return form->table(); }
    void select(int tableRow, int tableColumn)
    {
        grid->setCurrentIndex(grid->model()->index(tableRow - 1, tableColumn - 1));
    }
    QVariant background(int tableRow, int tableColumn) const
    {
        return grid->model()->index(tableRow - 1, tableColumn - 1).data(Qt::BackgroundRole);
    }
    QString statusLine() const { return form->findChild<QLabel *>(QStringLiteral("Text_Status"))->text(); }
    QVariant cellData(int tableRow, int tableColumn, int role) const
    {
        return grid->model()->index(tableRow - 1, tableColumn - 1).data(role);
    }
    void typeIntoEditor(const QString &text)
    {
        for (QChar ch : text)
            sendKey(editor, 0, QString(ch));
    }
    void doubleClick(int tableRow, int tableColumn)
    {
        const QPoint at = grid->visualRect(grid->model()->index(tableRow - 1, tableColumn - 1)).center();
        QMouseEvent event(QEvent::MouseButtonDblClick, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &event);
    }
    /// The commands a whole-table command sent once its change-journal snapshot was read (the
    /// identification and the 149 ranges before it).
    QStringList afterSnapshot() const
    {
        const QStringList all = dvm->commands();
        EXPECT_EQ(all.value(0), "*IDN?");
        EXPECT_EQ(all.value(kLoadExchanges - 1), "CAL:PRINT 149");
        return all.mid(kLoadExchanges);
    }
    /// A reading: the 149 ranges, then the identification that says whose they are.
    static constexpr int kLoadExchanges = 150;
    QList<bool> commandButtonStates() const
    {
        QList<bool> states;
        for (const char *name : kCommandButtons)
            states << button(name)->isEnabled();
        return states;
    }

    ScopedFakeClock fake;
    InstrumentSession session;
    ScriptedDVM *dvm = nullptr;
    ScriptedPrompts prompts;
    QStringList statuses;
    QPointer<FormCalFactors> form;
    QTableView *grid = nullptr;
    QLineEdit *editor = nullptr;
};

TEST_F(FormCalFactorsTest, OpensWithItsCaptionButtonsAndAnEmpty71By24Grid)
{
    EXPECT_EQ(form->windowTitle(), "Calibration Factors");
    const QList<std::pair<const char *, QString>> captions = {
        {"Command_LoadAllCalFactors", "Load from Calibrator"},
        {"Command_SaveAll", "Save To Calibrator"},
        {"Command_ClearAll", "Clear Meter"},
        {"Command_FileLoad", "Load from File"},
        {"Command_FileCompare", "Compare with File..."},
        {"Command_FileSave", "Save to File"},
        {"Command_Backup", "Backup Meter to Secondary Cal Storage"},
        {"Command_Restore", "Restore Meter from Secondary Cal storage"},
        {"Command_Exit", "Exit"}};
    for (const auto &[name, caption] : captions) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_EQ(button(name)->text(), caption);
    }
    EXPECT_EQ(grid->model()->rowCount(), 70);
    EXPECT_EQ(grid->model()->columnCount(), 23);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(editor->text().isEmpty());
}

TEST_F(FormCalFactorsTest, ATypedKeyOpensTheEditorWithThatKeyAndEnterMakesTheCellPending)
{
    select(2, 3);
    sendKey(grid, Qt::Key_5, QStringLiteral("5"));
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), "5");
    EXPECT_EQ(editor->cursorPosition(), 1);
    EXPECT_TRUE(grid->visualRect(grid->currentIndex()).contains(editor->geometry().center()));
    typeIntoEditor(QStringLiteral("0"));
    sendKey(editor, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(table().text(2, 3), "50");
    EXPECT_EQ(table().state(2, 3), State::Pending);
    EXPECT_EQ(background(2, 3).value<QColor>(), QColor(200, 230, 250));
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(1, 2)) << "the current cell stays where it was";
}

TEST_F(FormCalFactorsTest, EscapeDropsTheTypedTextAndTheSameTextLeavesTheCellInStep)
{
    table().setCell(1, 1, QStringLiteral("12"), State::InStep);
    select(1, 1);
    sendKey(grid, Qt::Key_9, QStringLiteral("9"));
    sendKey(editor, Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(table().text(1, 1), "12");
    EXPECT_EQ(table().state(1, 1), State::InStep);

    // A double click opens the editor on the cell's own text with the caret at its end.
    doubleClick(1, 1);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), "12");
    EXPECT_EQ(editor->cursorPosition(), 2);
    sendKey(editor, Qt::Key_Backspace, QStringLiteral("\b"));
    typeIntoEditor(QStringLiteral("2"));
    sendKey(editor, Qt::Key_Enter, QStringLiteral("\r"));
    EXPECT_EQ(table().state(1, 1), State::InStep) << "retyping the old text changes nothing";
    EXPECT_FALSE(background(1, 1).isValid());
}

TEST_F(FormCalFactorsTest, UpAndDownCommitAndMoveButStopAtTheFirstAndLastRow)
{
    select(1, 2);
    sendKey(grid, Qt::Key_1, QStringLiteral("1"));
    sendKey(editor, Qt::Key_Up);
    EXPECT_EQ(table().text(1, 2), "1");
    EXPECT_EQ(grid->currentIndex().row(), 0) << "Up on the first row only gives the focus back";

    sendKey(grid, Qt::Key_2, QStringLiteral("2"));
    sendKey(editor, Qt::Key_Down);
    EXPECT_EQ(table().text(1, 2), "2");
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(grid->currentIndex().column(), 1);

    select(70, 2);
    sendKey(grid, Qt::Key_3, QStringLiteral("3"));
    sendKey(editor, Qt::Key_Down);
    EXPECT_EQ(table().text(70, 2), "3");
    EXPECT_EQ(grid->currentIndex().row(), 69);
}

TEST_F(FormCalFactorsTest, LeavingTheCellHandsTheTextToTheCellTheEditorWasOpenedOn)
{
    select(3, 3);
    sendKey(grid, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(editor->text(), "") << "a space opens the editor on the cell's text";
    typeIntoEditor(QStringLiteral("-7"));
    select(4, 4);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(table().text(3, 3), "-7");
    EXPECT_EQ(table().state(3, 3), State::Pending);
    EXPECT_EQ(table().text(4, 4), "");
}

TEST_F(FormCalFactorsTest, LoadFillsTheGridWithHeadingsAndLabelsWhileTheButtonsAreOff)
{
    QList<QList<bool>> statesDuringLoad;
    QList<bool> exitDuringLoad;
    QList<bool> hourglass;
    dvm->responder = [&](const QString &command) {
        statesDuringLoad << commandButtonStates();
        exitDuringLoad << button("Command_Exit")->isEnabled();
        hourglass << (form->cursor().shape() == Qt::BusyCursor);
        return command == QLatin1String("CAL:PRINT 021") ? QStringLiteral("11\r22\r*0\r") : QStringLiteral("*0\r");
    };
    button("Command_LoadAllCalFactors")->click();
    EXPECT_EQ(dvm->sent.size(), kLoadExchanges);
    EXPECT_EQ(dvm->commands().last(), "*IDN?");
    EXPECT_EQ(grid->model()->rowCount(), 149);
    EXPECT_EQ(grid->model()->columnCount(), 66);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Positive");
    EXPECT_EQ(grid->model()->headerData(4, Qt::Horizontal).toString(), "10Hz");
    EXPECT_EQ(grid->model()->headerData(20, Qt::Vertical).toString(), "021: 200mV AC");
    EXPECT_EQ(grid->model()->index(20, 1).data().toString(), "22");
    for (const QList<bool> &states : statesDuringLoad)
        ASSERT_EQ(states, QList<bool>(8, false));
    EXPECT_EQ(exitDuringLoad, QList<bool>(kLoadExchanges, true));
    EXPECT_EQ(hourglass, QList<bool>(kLoadExchanges, true));
    EXPECT_EQ(commandButtonStates(), QList<bool>(8, true));
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(FormCalFactorsTest, SaveColoursRefusedCellsRedAndATypedValueStillInTheEditorIsSaved)
{
    table().reshapeForFactors();
    table().setCell(1, 1, QStringLiteral("5"), State::Pending);
    table().setCell(1, 3, QStringLiteral("12.5"), State::Pending);
    select(1, 2);
    sendKey(grid, Qt::Key_6, QStringLiteral("6"));
    ASSERT_TRUE(editor->isVisible());
    dvm->responder = [](const QString &command) {
        if (command == QLatin1String("CAL:PRINT 001"))
            return QStringLiteral("0\r6\r0\r*0\r"); // the range read back holds the 6 written
        return command.startsWith(QLatin1String("CALIBRATION:SETCAL 0,")) ? QStringLiteral("*9\r")
                                                                          : QStringLiteral("*0\r");
    };
    button("Command_SaveAll")->click();
    EXPECT_EQ(dvm->commands(),
              QStringList({"*IDN?", "CAL:PRINT 001", "SYSTEM:PASSWORD 5820316", "CALIBRATION:SETCAL 0,1,5",
                           "CALIBRATION:SETCAL 1,1,6", "CAL:PRINT 001", "CAL:PASSWORD 0"}))
        << "who the instrument is and what range 1 held are read for the change journal first";
    EXPECT_EQ(background(1, 1).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(cellData(1, 1, Qt::ToolTipRole).toString(),
              "Refused by the calibrator: *9: the calibrator did not understand the command or its value");
    EXPECT_FALSE(background(1, 2).isValid());
    EXPECT_FALSE(cellData(1, 2, Qt::ToolTipRole).isValid());
    // Not a whole number: its own colour and why, and never sent.
    EXPECT_EQ(background(1, 3).value<QColor>(), QColor(255, 165, 0));
    EXPECT_EQ(cellData(1, 3, Qt::ToolTipRole).toString(), "Not a whole number: never sent to the calibrator");
}

TEST_F(FormCalFactorsTest, BackupResultGoesToTheStatusSink)
{
    prompts.answers.enqueue(Prompts::Answer::Yes);
    button("Command_Backup")->click();
    EXPECT_EQ(statuses, QStringList({"Cal Factors backed up ok"}));
    EXPECT_EQ(statusLine(), "Cal Factors backed up ok; 149 ranges read") << "the window says so too";
    EXPECT_EQ(prompts.shown[0].title, "Backup Calibration");
    EXPECT_EQ(afterSnapshot().value(1), "CB");
    EXPECT_EQ(commandButtonStates(), QList<bool>(8, true));
}

TEST_F(FormCalFactorsTest, ClosingOverUnwrittenChangesAsksAndCancelKeepsTheWindow)
{
    table().reshapeForFactors();
    table().setCell(1, 1, QStringLiteral("5"), State::Pending);
    table().setCell(1, 2, QStringLiteral("x"), State::Invalid);
    table().setCell(1, 3, QStringLiteral("7"), State::Rejected);
    button("Command_Exit")->click();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, "Discard 2 unwritten changes?");
    EXPECT_EQ(prompts.shown[0].title, "Calibration Factors");
    EXPECT_EQ(prompts.shown[0].buttons, Prompts::Buttons::DiscardCancel);
    EXPECT_EQ(prompts.shown[0].defaultAnswer, Prompts::Answer::Cancel);
    EXPECT_TRUE(form->isVisible()) << "Cancel keeps the window";

    prompts.answers.enqueue(Prompts::Answer::Discard);
    button("Command_Exit")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(FormCalFactorsTest, ALoadFromFileCancelledIsNoError)
{
    button("Command_FileLoad")->click();
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(statusLine(), "Load cancelled");
    button("Command_Exit")->click();
    EXPECT_EQ(prompts.shown.size(), 0) << "nothing unwritten, nothing asked";
}

// Two factors differ from the file (one of them changed here and not written yet); a third is
// the same number written otherwise. Each differing cell is yellow, whatever its state, and says
// what the file holds; an edit takes the mark away and the cell's own colour comes back.
TEST_F(FormCalFactorsTest, CompareWithFileMarksTheCellsThatDifferAndCountsThem)
{
    table().reshapeForFactors();
    CalFactorTable file;
    file.reshapeForFactors();
    for (const auto &[column, shown, filed] : {std::tuple{1, "7", "007"}, {2, "2", "20"}, {3, "3", "3"}}) {
        table().setCell(1, column, QString::fromLatin1(shown), State::InStep);
        file.setText(1, column, QString::fromLatin1(filed));
    }
    table().commit(1, 3, QStringLiteral("33"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("before.cal"));
    ASSERT_TRUE(CalFile::save(file, path));
    const QColor yellow(255, 240, 120);

    prompts.fileNames.enqueue(path);
    button("Command_FileCompare")->click();
    ASSERT_EQ(prompts.dialogs.size(), 1);
    EXPECT_EQ(prompts.dialogs[0].mid(0, 2), QStringList({"Compare with File", "Cal Files (*.cal)"}));
    EXPECT_EQ(statusLine(), "2 factors differ from before.cal");
    EXPECT_FALSE(background(1, 1).isValid()) << "7 and 007 are one number";
    EXPECT_FALSE(cellData(1, 1, Qt::ToolTipRole).isValid());
    EXPECT_EQ(background(1, 2).value<QColor>(), yellow);
    EXPECT_EQ(cellData(1, 2, Qt::ToolTipRole).toString(), "File: 20");
    EXPECT_EQ(background(1, 3).value<QColor>(), yellow) << "over the pending cell's blue";
    EXPECT_EQ(cellData(1, 3, Qt::ToolTipRole).toString(), "File: 3\nChanged here and not written yet");
    EXPECT_EQ(table().state(1, 3), State::Pending);

    select(1, 3);
    sendKey(grid, Qt::Key_4, QStringLiteral("4"));
    sendKey(editor, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(background(1, 3).value<QColor>(), QColor(200, 230, 250)) << "edited, the cell is pending blue again";
    EXPECT_FALSE(cellData(1, 3, Qt::ToolTipRole).isValid());
    EXPECT_EQ(background(1, 2).value<QColor>(), yellow);

    button("Command_FileCompare")->click(); // the dialog is cancelled
    EXPECT_EQ(statusLine(), "Compare cancelled");
    EXPECT_EQ(background(1, 2).value<QColor>(), yellow) << "a cancelled comparison keeps the marks";
}

TEST_F(FormCalFactorsTest, ExitDuringALoadStopsItAndThenClosesTheWindow)
{
    dvm->responder = [this](const QString &command) {
        if (command == QLatin1String("CAL:PRINT 005"))
            button("Command_Exit")->click();
        return QStringLiteral("*0\r");
    };
    button("Command_LoadAllCalFactors")->click();
    EXPECT_EQ(dvm->sent.size(), 5);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()) << "the window is gone once its operation has stopped";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FormCalFactorsTest, OpenedAgainWhileItsCloseWaitsForTheLoadTheWindowStays)
{
    FormMain main(session, prompts);
    dvm->responder = [&](const QString &command) {
        if (command == QLatin1String("CAL:PRINT 005")) {
            button("Command_Exit")->click();
            main.showModeless(form); // the engineer presses "Calibration Factors" again
        }
        return QStringLiteral("*0\r");
    };
    button("Command_LoadAllCalFactors")->click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(form.isNull());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dvm->sent.size(), 5) << "the load was stopped all the same";
}

// Closing the program during a save: "Yes" stops the save; while the program waits for it to
// stop nothing new opens; the figures left unwritten are then asked about, and "Cancel" keeps
// the window and the program, which takes new work again.
TEST_F(FormCalFactorsTest, EndingDuringASaveAsksAboutWhatItLeftAndCancelKeepsTheProgram)
{
    FormMain main(session, prompts);
    main.show();
    main.showModeless(form);
    int unloaded = 0;
    QObject::connect(&main, &FormMain::unloaded, [&] { ++unloaded; });
    table().reshapeForFactors();
    for (int column = 1; column <= 4; ++column)
        table().setCell(1, column, QStringLiteral("5"), State::Pending);
    prompts.answers.enqueue(Prompts::Answer::Yes);    // stop the save
    prompts.answers.enqueue(Prompts::Answer::Cancel); // keep the figures it left
    bool openedWhileEnding = true;
    dvm->responder = [&](const QString &command) {
        if (command == QLatin1String("CALIBRATION:SETCAL 1,1,5")) {
            main.close();
            main.findChild<QAction *>(QStringLiteral("MenuSetupSpecifications"))->trigger();
            openedWhileEnding = !main.findChildren<QWidget *>(QStringLiteral("FormSpecifications")).isEmpty();
        }
        if (command == QLatin1String("CAL:PRINT 001"))
            return QStringLiteral("5\r5\r0\r0\r*0\r"); // the two written before the stop, read back
        return QStringLiteral("*0\r");
    };
    button("Command_SaveAll")->click();
    session.operations().waitUntilIdle();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();

    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QLatin1String("Stop \"Save To Calibrator\"?")));
    EXPECT_EQ(prompts.shown[1].text, "Discard 2 unwritten changes?");
    EXPECT_FALSE(openedWhileEnding) << "nothing opens while the program waits to end";
    EXPECT_EQ(unloaded, 0);
    ASSERT_FALSE(form.isNull());
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.menuBar()->isEnabled());
    dvm->sent.clear();
    button("Command_LoadAllCalFactors")->click();
    EXPECT_EQ(dvm->sent.size(), kLoadExchanges) << "the queue takes work again";
    delete form.data();
}

TEST_F(FormCalFactorsTest, DestroyingTheWindowDuringAnOperationStopsItSafely)
{
    dvm->responder = [this](const QString &command) {
        if (command == QLatin1String("CAL:PRINT 003"))
            delete form.data();
        return QStringLiteral("*0\r");
    };
    form->Command_LoadAllCalFactors_Click();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(dvm->sent.size(), 3);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FormCalFactorsTest, ALoadAskedForDuringAnotherWindowsOperationWaitsItsTurn)
{
    QObject otherWindow;
    OperationQueue::Request other;
    other.name = QStringLiteral("Read Calibrator Time");
    other.work = [&](OperationControl &) {
        button("Command_LoadAllCalFactors")->click();
        EXPECT_TRUE(dvm->sent.isEmpty()) << "nothing of the load goes out inside another operation";
        EXPECT_EQ(commandButtonStates(), QList<bool>(8, false)) << "the buttons are off while the load waits";
        EXPECT_EQ(statusLine(), "Waiting for \"Read Calibrator Time\" to finish...");
    };
    session.operations().submit(&otherWindow, other);
    session.operations().waitUntilIdle();
    EXPECT_EQ(dvm->sent.size(), kLoadExchanges);
    EXPECT_EQ(commandButtonStates(), QList<bool>(8, true));
    EXPECT_TRUE(statusLine().startsWith(QLatin1String("149 ranges read"))) << statusLine().toStdString();
}

TEST_F(FormCalFactorsTest, ABackupAsksAtOnceEvenWhileAnotherWindowsOperationRunsThenWaitsItsTurn)
{
    for (const Prompts::Answer answer : {Prompts::Answer::No, Prompts::Answer::Yes}) {
        dvm->sent.clear();
        prompts.shown.clear();
        prompts.answers.enqueue(answer);
        QObject otherWindow;
        OperationQueue::Request other;
        other.name = QStringLiteral("Read Calibrator Time");
        other.work = [&](OperationControl &) {
            button("Command_Backup")->click();
            EXPECT_EQ(prompts.shown.size(), 1) << "the question comes when the button is pressed";
            EXPECT_TRUE(dvm->sent.isEmpty());
        };
        session.operations().submit(&otherWindow, other);
        session.operations().waitUntilIdle();
        if (answer == Prompts::Answer::Yes) {
            EXPECT_EQ(afterSnapshot().value(1), "CB");
        } else {
            EXPECT_TRUE(dvm->sent.isEmpty()) << "\"No\" queues nothing";
            EXPECT_EQ(statusLine(), "Backup Calibration cancelled");
        }
    }
}

TEST(FormCalFactorsFromTheMainWindow, TheButtonAndTheMenuEntryOpenOneWindowThatReportsToTextStatus)
{
    ScopedFakeClock fake;
    InstrumentSession session;
    session.setDvm(std::make_unique<ScriptedDVM>());
    ScriptedPrompts prompts;
    FormMain main(session, prompts);
    auto *button = main.findChild<QAbstractButton *>(QStringLiteral("Command_CalFactors"));
    auto *menuEntry = main.findChild<QAction *>(QStringLiteral("MenuSetupCal"));
    ASSERT_TRUE(button && menuEntry);
    ASSERT_TRUE(button->isEnabled());
    button->click();
    menuEntry->trigger();
    const QList<FormCalFactors *> windows = main.findChildren<FormCalFactors *>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isVisible());

    prompts.answers.enqueue(Prompts::Answer::Yes);
    windows[0]->Command_Restore_Click();
    EXPECT_EQ(main.quickSetup().Text_Status->toPlainText(), "Cal Factors restored");
}

} // namespace
