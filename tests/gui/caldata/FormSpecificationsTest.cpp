#include "gui/caldata/FormSpecifications.h"

#include "caldata/SpecTable.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "gui/app/FormProgress.h"
#include "gui/caldata/GridCellEditor.h"
#include "session/InstrumentSession.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using State = SpecTable::CellState;

void sendKey(QWidget *to, int key, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &release);
}

/// The progress windows that are open and shown.
QList<FormProgress *> visibleProgressWindows()
{
    QList<FormProgress *> found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *p = qobject_cast<FormProgress *>(w); p && p->isVisible())
            found << p;
    }
    return found;
}

class FormSpecificationsTest : public ::testing::Test
{
protected:
    FormSpecificationsTest()
    {
        auto scripted = std::make_unique<ScriptedDVM>();
        dvm = scripted.get();
        session.setDvm(std::move(scripted));
        form = new FormSpecifications(session, prompts, [this](const QString &text) { statuses << text; });
        form->show();
        form->activateWindow();
        QApplication::processEvents();
        grid = form->findChild<QTableView *>(QStringLiteral("CalGrid"));
        editor = form->findChild<QLineEdit *>(QStringLiteral("Text_Edit"));
        version = form->findChild<QLineEdit *>(QStringLiteral("Text_Version"));
    }
    ~FormSpecificationsTest() override { delete form.data(); }

    QPushButton *button(const char *name) const { return form->findChild<QPushButton *>(QString::fromLatin1(name)); }
    SpecTable &table() { return form->table(); }
    void select(int tableRow, int tableColumn)
    {
        grid->setCurrentIndex(grid->model()->index(tableRow - 1, tableColumn - 1));
    }
    QVariant background(int tableRow, int tableColumn) const
    {
        return grid->model()->index(tableRow - 1, tableColumn - 1).data(Qt::BackgroundRole);
    }
    void doubleClick(int tableRow, int tableColumn)
    {
        const QPoint at = grid->visualRect(grid->model()->index(tableRow - 1, tableColumn - 1)).center();
        QMouseEvent event(QEvent::MouseButtonDblClick, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &event);
    }

    ScopedFakeClock fake;
    InstrumentSession session;
    ScriptedDVM *dvm = nullptr;
    ScriptedPrompts prompts;
    QStringList statuses;
    QPointer<FormSpecifications> form;
    QTableView *grid = nullptr;
    QLineEdit *editor = nullptr;
    QLineEdit *version = nullptr;
};

TEST_F(FormSpecificationsTest, OpeningReadsTheTableThroughTheProgressWindow)
{
    EXPECT_EQ(form->windowTitle(), "Specifications");
    const QList<std::pair<const char *, QString>> captions = {{"Command_LoadAllCalFactors", "Load From Meter"},
                                                              {"Command_SaveAll", "Save To Meter"},
                                                              {"Command_ClearAll", "Clear Meter"},
                                                              {"Command_FileLoad", "Load from File"},
                                                              {"Command_FileCompare", "Compare with File..."},
                                                              {"Command_FileSave", "Save to File"},
                                                              {"Command_Exit", "Exit"}};
    for (const auto &[name, caption] : captions) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_EQ(button(name)->text(), caption);
    }
    EXPECT_EQ(grid->model()->columnCount(), 14);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "ppm Reading\n(DC-40Hz)");
    EXPECT_EQ(grid->model()->headerData(13, Qt::Horizontal).toString(), "ppm Range\n(100kHz+)");

    version->setText(QStringLiteral("old"));
    QList<int> progressMaxima;
    dvm->responder = [&](const QString &) {
        for (FormProgress *p : visibleProgressWindows())
            progressMaxima << p->model().maximum();
        return QStringLiteral("R001 200mV DC,015.00,005.00\rR002 2V DC,012.50\r*0\r");
    };
    form->Form_Load();
    EXPECT_EQ(dvm->commands(), QStringList{"ps"});
    EXPECT_EQ(progressMaxima, QList<int>{60});
    EXPECT_TRUE(visibleProgressWindows().isEmpty()) << "the progress window goes when the reply is in";
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Vertical).toString(), "R002 2V DC");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "5");
    EXPECT_TRUE(version->text().isEmpty());
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(FormSpecificationsTest, TheEditorOpensOnTheCellsTextWithAllOfItSelected)
{
    table().setCell(1, 1, QStringLiteral("12.5"), State::InStep);
    doubleClick(1, 1);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->selectedText(), "12.5");
    sendKey(editor, Qt::Key_7, QStringLiteral("7"));
    sendKey(editor, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(table().text(1, 1), "7") << "typing replaces the selected text";
    EXPECT_EQ(table().state(1, 1), State::Pending);

    // A typed character opens the editor with just that character, and the next one adds to it.
    select(1, 2);
    sendKey(grid, Qt::Key_3, QStringLiteral("3"));
    ASSERT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->selectedText().isEmpty());
    sendKey(editor, Qt::Key_Period, QStringLiteral("."));
    sendKey(editor, Qt::Key_5, QStringLiteral("5"));
    sendKey(editor, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(table().text(1, 2), "3.5");
}

TEST_F(FormSpecificationsTest, ClosingTheWindowWhileACellIsEditedRemovesTheEditorBeforeTheGrid)
{
    // The grid goes before the in-place editor inside it, and the table before both; the editor's
    // last focus events must find no cell editor left to call into them.
    select(1, 1);
    sendKey(grid, Qt::Key_7, QStringLiteral("7"));
    ASSERT_TRUE(editor->isVisible());
    ASSERT_TRUE(editor->hasFocus());
    QPointer<GridCellEditor> cellEditor = form->findChild<GridCellEditor *>();
    ASSERT_TRUE(cellEditor);
    bool editorDestroyed = false;
    bool cellEditorGoneFirst = false;
    QObject::connect(editor, &QObject::destroyed, [&] {
        editorDestroyed = true;
        cellEditorGoneFirst = cellEditor.isNull();
    });
    // The typed "7" is an unwritten change: the window asks before it goes.
    prompts.answers.enqueue(Prompts::Answer::Discard);
    button("Command_Exit")->click();
    EXPECT_EQ(prompts.texts().last(), "Discard 1 unwritten change?");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    ASSERT_TRUE(editorDestroyed);
    EXPECT_TRUE(cellEditorGoneFirst);
}

TEST_F(FormSpecificationsTest, SaveShowsEachCellGreenWhileWrittenThenByTheAnswer)
{
    table().setCell(1, 1, QStringLiteral("1"), State::Pending);
    table().setCell(1, 2, QStringLiteral("2"), State::Pending);
    table().setCell(1, 3, QStringLiteral("3"), State::Pending);
    QList<QColor> whileWriting;
    QList<int> progress;
    auto *bar = form->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
    ASSERT_TRUE(bar);
    dvm->responder = [&](const QString &command) {
        if (command.startsWith(QLatin1String("Ws"))) {
            whileWriting << background(1, command.section(QLatin1Char(','), 1, 1).toInt() + 1).value<QColor>();
            progress << bar->value();
        }
        if (command.startsWith(QLatin1String("Ws1,1,")))
            return QStringLiteral("*9\r");
        if (command.startsWith(QLatin1String("Ws1,2,")))
            return QStringLiteral("*3\r");
        return QStringLiteral("*0\r");
    };
    button("Command_SaveAll")->click();
    EXPECT_EQ(whileWriting, QList<QColor>(3, QColor(0, 255, 0)));
    EXPECT_EQ(progress, QList<int>({0, 1, 2})) << "the bar follows the cells written";
    EXPECT_EQ(bar->value(), 0) << "and is empty again once the save ended";
    EXPECT_EQ(form->findChild<QLabel *>(QStringLiteral("Text_Status"))->text(),
              "1 of 3 figures written; 1 refused by the meter (red); 1 not taken as sent (blue). Point at a coloured "
              "cell to see why, correct it and save again");
    EXPECT_FALSE(background(1, 1).isValid());
    EXPECT_EQ(background(1, 2).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(background(1, 3).value<QColor>(), QColor(0, 0, 255));
    EXPECT_EQ(dvm->commands().last(), "CAL:PASSWORD 0");
    EXPECT_FALSE(form->lastSave().complete());
    EXPECT_TRUE(button("Command_SaveAll")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FormSpecificationsTest, FileLoadFillsTheGridAndTheVersionAndACancelledLoadKeepsThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.spec"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# comment\r\nVersion B52\r\nR001 A , 1,2,\r\nR002 B , 3,\r\nR003 C , 4,\r\n");
    f.close();

    EXPECT_TRUE(form->FileLoad(path));
    EXPECT_EQ(version->text(), "B52");
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(background(3, 1).value<QColor>(), QColor(200, 230, 250));

    button("Command_FileLoad")->click(); // the dialog is cancelled
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(version->text(), "B52");
    EXPECT_TRUE(prompts.shown.isEmpty());

    // What the engineer types as the version is what a saved file carries.
    version->setText(QString());
    version->insert(QStringLiteral("C9"));
    const QString out = dir.filePath(QStringLiteral("out.spec"));
    prompts.fileNames << out;
    button("Command_FileSave")->click();
    QFile saved(out);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("Version C9\r\nR001 A , 1,2,\r\n"));
}

TEST_F(FormSpecificationsTest, ClearMeterReportsToTheStatusBoxAndReadsTheTableAgain)
{
    prompts.answers << Prompts::Answer::Yes;
    button("Command_ClearAll")->click();
    EXPECT_EQ(statuses, QStringList{"Specifications cleared ok"});
    // Who the instrument is and its table as it stood are read for the change journal first.
    EXPECT_EQ(dvm->commands(), (QStringList{"*IDN?", "ps", "SYSTEM:PASSWORD 5820316", "WS", "CAL:PASSWORD 0", "ps"}));
}

} // namespace
