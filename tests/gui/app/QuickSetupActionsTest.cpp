#include "AppTestSupport.h"
#include "caldata/SpecTable.h"
#include "gui/app/FormMain.h"
#include "gui/app/Main.h"
#include "gui/caldata/FormSpecifications.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

namespace {

/// The program's own main window on the virtual calibrator, with the default-file settings
/// emptied before and after.
class QuickSetupActionsTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        clearDefaults();
        fake.clock.pauseSettleMs = 1;
        main = Main(session, prompts);
        ASSERT_NE(main, nullptr);
        QObject::connect(&sim.front, &PtyFront::lineReceived, [this](const QByteArray &line) {
            // The transport clears the line with an empty one before a command; it is no command.
            if (!line.trimmed().isEmpty())
                heard << line;
        });
        prompts.shown.clear();
    }
    void TearDown() override
    {
        main.reset();
        clearDefaults();
    }
    static void clearDefaults()
    {
        Settings::remove(SettingsKey::DefaultSpec);
        Settings::remove(SettingsKey::DefaultUncert);
    }
    /// A small specification file as the default Quick Setup loads.
    bool setDefaultSpecifications()
    {
        const QString path = dir.filePath(QStringLiteral("mine.spec"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write("Version T1\r\nR001 200mV DC , 11.5,3,\r\nR002 2V DC , 9,\r\n");
        Settings::setValue(SettingsKey::DefaultSpec, path);
        return true;
    }
    FormSpecifications *openSpecifications() const
    {
        return qobject_cast<FormSpecifications *>(
            main->findModeless([](QWidget *w) { return qobject_cast<FormSpecifications *>(w) != nullptr; }));
    }

    std::unique_ptr<FormMain> main;
    QList<QByteArray> heard;
    QTemporaryDir dir;
};

TEST_F(QuickSetupActionsTest, PerformSelectedTasksLoadsTheDefaultSpecificationsThroughTheirWindow)
{
    ASSERT_TRUE(setDefaultSpecifications());

    control<QCheckBox>(*main, "Check_Date")->setChecked(true);
    control<QCheckBox>(*main, "Check_Specs")->setChecked(true);
    control(*main, "Command_SetupTasks")->click();

    EXPECT_EQ(rows(*main, "Text_Status"), (QStringList{"Date Set", "Default Specifications Loaded"}));
    ASSERT_FALSE(prompts.shown.isEmpty());
    EXPECT_EQ(prompts.shown.last().title, "Setup Tasks Completed");
    EXPECT_EQ(prompts.shown.last().text, "Date Set\nDefault Specifications Loaded");
    const SpecificationTable &specs = sim.memory().specifications();
    EXPECT_EQ(specs.row(1).figures[0], 11.5);
    EXPECT_EQ(specs.row(1).figures[1], 3.0);
    EXPECT_EQ(specs.row(2).figures[0], 9.0);
    EXPECT_EQ(sim.memory().record(5), "Spec ___ 08/12/26");
    EXPECT_FALSE(sim.memory().inSetupMode());
    // The table the load replaced was read and kept before the first password went out.
    const auto firstPassword = std::find_if(heard.cbegin(), heard.cend(),
                                            [](const QByteArray &line) { return line.contains("PASSWORD"); });
    ASSERT_NE(firstPassword, heard.cend());
    EXPECT_TRUE(std::find(heard.cbegin(), firstPassword, QByteArray("ps")) != firstPassword);

    // The window shows the file it wrote, every figure in step.
    FormSpecifications *window = openSpecifications();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->table().text(1, 1), "11.5");
    EXPECT_EQ(window->table().pendingCount(), 0);
    EXPECT_TRUE(control(*main, "Command_SetupTasks")->isEnabled());
}

// The specifications window is closed (and deleted) while Quick Setup's save of the figures it
// loaded waits for the meter: the save goes on to the end, and nothing touches the window.
TEST_F(QuickSetupActionsTest, TheSpecificationsWindowClosedDuringQuickSetupsSaveLeavesTheSaveWhole)
{
    ASSERT_TRUE(setDefaultSpecifications());
    prompts.answers.enqueue(Prompts::Answer::Discard);
    bool closed = false;
    QObject::connect(&sim.front, &PtyFront::lineReceived, [&](const QByteArray &line) {
        if (!closed && line.startsWith("Ws")) {
            closed = true;
            QTimer::singleShot(0, [this] {
                if (FormSpecifications *window = openSpecifications())
                    window->close();
            });
        }
    });
    control<QCheckBox>(*main, "Check_Specs")->setChecked(true);
    control(*main, "Command_SetupTasks")->click();
    session.operations().waitUntilIdle();

    EXPECT_TRUE(closed);
    EXPECT_EQ(openSpecifications(), nullptr);
    EXPECT_EQ(sim.memory().specifications().row(2).figures[0], 9.0);
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(QuickSetupActionsTest, AnInvalidPasswordIsReportedInTheStatusBoxBeforeAnythingIsSent)
{
    control<QCheckBox>(*main, "Check_CalPassword")->setChecked(true);
    control<QLineEdit>(*main, "Text_UserPassword")->setText(QStringLiteral("12a"));
    control(*main, "Command_SetupTasks")->click();
    EXPECT_EQ(rows(*main, "Text_Status"), QStringList{"Cal Password must be numeric and 9 digits or less"});
    EXPECT_EQ(prompts.shown.last().title, "Setup Tasks Not Completed");
    EXPECT_TRUE(heard.isEmpty());
}

TEST_F(QuickSetupActionsTest, SpecificationsOpensItsWindowWhichReadsTheTable)
{
    control(*main, "Command_Specifications")->click();
    FormSpecifications *window = openSpecifications();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(heard, QList<QByteArray>{"ps"});
    EXPECT_EQ(window->table().rowCount(), sim.memory().specifications().rowCount() + 1);
    // The menu entry brings the same window forward without reading again.
    control<QAction>(*main, "MenuSetupSpecifications")->trigger();
    EXPECT_EQ(openSpecifications(), window);
    EXPECT_EQ(heard.size(), 1);
}

TEST_F(QuickSetupActionsTest, TheWindowsOfThe6481MenuThatThisVersionLacksSaySo)
{
    for (const char *entry : {"MenuSetupThermocouple", "MenuSetupPRT", "MenuSetupUncertainties"}) {
        prompts.shown.clear();
        QAction *action = control<QAction>(*main, entry);
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->isEnabled()) << entry;
        action->trigger();
        ASSERT_EQ(prompts.shown.size(), 1) << entry;
        EXPECT_TRUE(prompts.shown[0].text.endsWith(QLatin1String("window is not available in this version.")))
            << prompts.shown[0].text.toStdString();
    }
    EXPECT_TRUE(heard.isEmpty());
}

TEST_F(QuickSetupActionsTest, WipeEEPROMSendsNothingWhenTheSecondQuestionIsAnsweredNo)
{
    prompts.answers << Prompts::Answer::Yes << Prompts::Answer::No;
    control(*main, "Command_WipeEEPROM")->click();
    EXPECT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(heard.isEmpty());
}

} // namespace
