#include "caldata/DefaultFiles.h"
#include "caldata/EepromWipe.h"
#include "caldata/QuickSetup.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "platform/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kSystemPassword = QStringLiteral("SYSTEM:PASSWORD 5820316");
const QString kCalibratePassword = QStringLiteral("CALIBRATE:PASSWORD 7715");
const QString kExitPassword = QStringLiteral("CAL:PASSWORD 0");

/// Prompts that also note each box in the run's one list of events, beside the commands sent.
class LoggedPrompts : public ScriptedPrompts
{
public:
    explicit LoggedPrompts(QStringList &events) : m_events(events) {}
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons, Answer defaultAnswer) override
    {
        m_events << QStringLiteral("box: ") + (title.isEmpty() ? text : title);
        return ScriptedPrompts::message(text, title, icon, buttons, defaultAnswer);
    }

private:
    QStringList &m_events;
};

/// A settings store of the test's own for the default-file keys.
class ScopedDefaultFileSettings
{
public:
    ScopedDefaultFileSettings() : m_previous(Settings::scope())
    {
        Settings::setScope(QStringLiteral("calsetup caldata test quick setup"));
        clear();
    }
    ~ScopedDefaultFileSettings()
    {
        clear();
        Settings::setScope(m_previous);
    }

private:
    static void clear()
    {
        Settings::remove(SettingsKey::DefaultSpec);
        Settings::remove(SettingsKey::DefaultUncert);
    }
    QString m_previous;
};

class QuickSetupTest : public ::testing::Test
{
protected:
    QuickSetupTest()
    {
        dvm.responder = [this](const QString &command) {
            events << command;
            return reply ? reply(command) : QStringLiteral("*0\r");
        };
    }

    QuickSetup::Result run(const QuickSetupChoices &choices) { return QuickSetup(dvm, prompts, hooks).run(choices); }
    QString writeSpecFile(const QByteArray &contents)
    {
        const QString path = dir.filePath(QStringLiteral("default.spec"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
        return path;
    }

    ScopedFakeClock fake;
    ScopedDefaultFileSettings settings;
    QTemporaryDir dir;
    QStringList events;
    std::function<QString(const QString &)> reply;
    ScriptedDVM dvm;
    LoggedPrompts prompts{events};
    QuickSetup::Hooks hooks;
};

TEST_F(QuickSetupTest, WithNoBoxTickedOnlyTheExitPasswordIsSentAndNothingIsShown)
{
    QString report = QStringLiteral("old");
    hooks.reportChanged = [&report](const QString &text) { report = text; };
    const QuickSetup::Result result = run({});
    EXPECT_EQ(dvm.commands(), QStringList{kExitPassword});
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_TRUE(result.report.isEmpty());
    EXPECT_TRUE(report.isEmpty()) << "the status box is emptied";
    EXPECT_TRUE(result.completed());
}

TEST_F(QuickSetupTest, TheUserPasswordMustBeOneToNineDigits)
{
    const struct
    {
        const char *text;
        bool valid;
    } cases[] = {{"1234", true},       {"123456789", true},   {" 42 ", true},  {"1234567890", false},
                 {"12a", false},       {"1.5", false},        {"-3", false},   {"1e5", false},
                 {"", false},          {"+7", false},         {"1 2", false},  {"\xd9\xa3", false}};
    for (const auto &c : cases) {
        dvm.sent.clear();
        prompts.shown.clear();
        QuickSetupChoices choices;
        choices.setPassword = true;
        choices.clearCal = true;
        choices.password = QString::fromUtf8(c.text);
        const QuickSetup::Result result = run(choices);
        EXPECT_EQ(QuickSetup::isValidUserPassword(choices.password), c.valid) << c.text;
        if (c.valid) {
            EXPECT_TRUE(result.completed()) << c.text;
            EXPECT_TRUE(dvm.commands().contains(QStringLiteral("K") + choices.password.trimmed())) << c.text;
            continue;
        }
        // Refused before anything is sent, in the report itself.
        EXPECT_TRUE(dvm.sent.isEmpty()) << c.text;
        EXPECT_TRUE(result.passwordInvalid) << c.text;
        EXPECT_EQ(result.report, "Cal Password must be numeric and 9 digits or less") << c.text;
        ASSERT_EQ(prompts.shown.size(), 1) << c.text;
        EXPECT_EQ(prompts.shown[0].title, "Setup Tasks Not Completed");
        EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Critical);
    }
}

TEST_F(QuickSetupTest, TheClockIsSetToTheComputersDayMonthYearHourAndMinute)
{
    fake.clock.setDateTime(QDateTime(QDate(2030, 1, 1), QTime(9, 5, 59)));
    QuickSetupChoices choices;
    choices.setDate = true;
    const QuickSetup::Result result = run(choices);
    EXPECT_EQ(dvm.commands(), (QStringList{kSystemPassword, "A0101300905", kExitPassword}));
    EXPECT_EQ(dvm.sent[1].timeout, 10);
    EXPECT_EQ(QuickSetup::clockCommand(QDateTime(QDate(2031, 12, 25), QTime(23, 59))), "A2512312359");
    EXPECT_EQ(result.report, "Date Set\r\n");
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, "Date Set");
    EXPECT_EQ(prompts.shown[0].title, "Setup Tasks Completed");
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Information);
}

TEST_F(QuickSetupTest, EveryTaskRunsInOrderAndTheBackupComesBeforeTheClearing)
{
    fake.clock.setDateTime(QDateTime(QDate(2030, 1, 1), QTime(9, 5)));
    const QString specs = writeSpecFile("Version Z\r\nR001 A , 1.5,2,\r\n");
    QuickSetupChoices choices;
    choices.setDate = choices.setPassword = choices.backupCal = choices.clearCal = choices.loadSpecs = true;
    choices.password = QStringLiteral(" 1234 ");
    choices.specFile = specs;
    const QuickSetup::Result result = run(choices);

    EXPECT_EQ(dvm.commands(),
              (QStringList{kSystemPassword, "A0101300905", kSystemPassword, "K1234", kCalibratePassword, "CB",
                           kSystemPassword, "CC", kSystemPassword, kCalibratePassword, "Ws1,0,1.5", "Ws1,1,2",
                           "&05Spec ___ 01/01/30", kExitPassword, kExitPassword}));
    EXPECT_EQ(dvm.sent[5].timeout, 120);
    EXPECT_EQ(dvm.sent[7].timeout, 60);
    EXPECT_EQ(result.report, "Date Set\r\nCalibration Password Set\r\nCalibration Factors Backed Up\r\n"
                             "Calibration Factors Cleared\r\nDefault Specifications Loaded\r\n");
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(events.last(), "box: Setup Tasks Completed");
}

TEST_F(QuickSetupTest, AFailedStepEndsTheRunButSetupModeIsLeftBeforeTheReportIsShown)
{
    const struct
    {
        const char *refused;
        const char *message;
        QStringList sentUpToTheFailure;
    } cases[] = {
        {"A", "Error setting time", {kSystemPassword, "A"}},
        {"K", "Error setting calibration password", {kSystemPassword, "A", kSystemPassword, "K"}},
        {"CB", "Error backing up cal factors", {kSystemPassword, "A", kSystemPassword, "K", kCalibratePassword, "CB"}},
        {"CC", "Error clearing cal factors",
         {kSystemPassword, "A", kSystemPassword, "K", kCalibratePassword, "CB", kSystemPassword, "CC"}},
        {"SYSTEM:PASSWORD", "Error sending password", {kSystemPassword}},
    };
    for (const auto &c : cases) {
        events.clear();
        dvm.sent.clear();
        prompts.shown.clear();
        const QString refused = QString::fromLatin1(c.refused);
        reply = [&refused](const QString &command) {
            return command.startsWith(refused) ? QStringLiteral("*9\r") : QStringLiteral("*0\r");
        };
        QuickSetupChoices choices;
        choices.setDate = choices.setPassword = choices.backupCal = choices.clearCal = true;
        choices.password = QStringLiteral("77");
        const QuickSetup::Result result = run(choices);
        EXPECT_FALSE(result.completed()) << c.refused;
        QStringList sent;
        for (const QString &command : dvm.commands())
            sent << (command.startsWith(QLatin1Char('A')) || command.startsWith(QLatin1Char('K')) ? command.left(1) : command);
        EXPECT_EQ(sent, c.sentUpToTheFailure + QStringList{kExitPassword}) << c.refused;
        // The step's own box, then the exit password, then the report if there is one.
        const qsizetype exit = events.lastIndexOf(kExitPassword);
        ASSERT_GE(exit, 1) << c.refused;
        EXPECT_EQ(events.at(exit - 1), QStringLiteral("box: ") + QString::fromLatin1(c.message)) << c.refused;
        const QStringList after = events.mid(exit + 1);
        EXPECT_EQ(after, result.report.isEmpty() ? QStringList() : QStringList{"box: Setup Tasks Not Completed"})
            << c.refused;
    }
}

TEST_F(QuickSetupTest, AMissingDefaultFileIsReportedAndTheRunStillCompletes)
{
    Settings::setValue(SettingsKey::DefaultSpec, dir.filePath(QStringLiteral("nowhere.spec")));
    QuickSetupChoices choices;
    choices.loadSpecs = true;
    const QuickSetup::Result result = run(choices);
    EXPECT_EQ(result.report, "ERROR: Default Specifications Not Found\r\n");
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(dvm.commands(), (QStringList{kSystemPassword, kExitPassword}));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].title, "Setup Tasks Completed");
}

TEST_F(QuickSetupTest, TheDefaultSpecificationsAreLoadedOnlyWhenTheMeterTookThem)
{
    // The file comes from the setting, whatever case its key was stored under.
    Settings::setValue(QStringLiteral("defaultspec"), writeSpecFile("R001 A , 1,2,\r\n"));
    reply = [](const QString &command) {
        return command == QLatin1String("Ws1,1,2") ? QStringLiteral("*9\r") : QStringLiteral("*0\r");
    };
    QuickSetupChoices choices;
    choices.loadSpecs = true;
    choices.thermocouple = true;
    const QuickSetup::Result result = run(choices);
    EXPECT_EQ(result.report, "ERROR: Default Specifications Not Loaded\r\n");
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(dvm.commands().last(), kExitPassword);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].title, "Setup Tasks Not Completed");

    // The same through the caller's own loader (the specifications window in the program).
    QStringList loaded;
    hooks.loadSpecifications = [&loaded](const QString &path) {
        loaded << path;
        return true;
    };
    EXPECT_EQ(run(choices).report, "Default Specifications Loaded\r\nThermocouple Data Not Done\r\n");
    EXPECT_EQ(loaded, QStringList{Settings::value(SettingsKey::DefaultSpec)});
}

TEST_F(QuickSetupTest, UncertaintiesAndThermocoupleTablesAreReportedNotDoneAndTheRunIsNotCompleted)
{
    QuickSetupChoices choices;
    choices.loadUncerts = true;
    choices.thermocouple = true;
    const QuickSetup::Result result = run(choices);
    EXPECT_EQ(result.report, "Default Imported Uncertainties Not Done\r\nThermocouple Data Not Done\r\n");
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(dvm.commands(), QStringList{kExitPassword});
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].title, "Setup Tasks Not Completed");
}

// --- Set Default and Wipe EEPROM ----------------------------------------------------------------

TEST_F(QuickSetupTest, SetDefaultStoresAnExistingChosenFileUnderOneKey)
{
    EXPECT_EQ(DefaultFiles::specFile(), "default.spec");
    EXPECT_EQ(DefaultFiles::uncertFile(), "default.uncert");

    EXPECT_FALSE(DefaultFiles::chooseSpecFile(prompts)); // cancelled
    prompts.fileNames << dir.filePath(QStringLiteral("missing.spec"));
    EXPECT_FALSE(DefaultFiles::chooseSpecFile(prompts));
    EXPECT_EQ(DefaultFiles::specFile(), "default.spec");
    ASSERT_EQ(prompts.dialogs.size(), 2);
    EXPECT_EQ(prompts.dialogs[0].at(1), "Spec Files (*.spec)");
    EXPECT_EQ(prompts.dialogs[0].at(2), "default.spec");

    const QString spec = writeSpecFile("Version 1\r\n");
    prompts.fileNames << spec;
    EXPECT_TRUE(DefaultFiles::chooseSpecFile(prompts));
    EXPECT_EQ(DefaultFiles::specFile(), spec);

    Settings::setValue(QStringLiteral("Defaultuncert"), QStringLiteral("old.uncert"));
    const QString uncert = dir.filePath(QStringLiteral("u.uncert"));
    QFile f(uncert);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    prompts.fileNames << uncert;
    EXPECT_TRUE(DefaultFiles::chooseUncertFile(prompts));
    EXPECT_EQ(prompts.dialogs.last().at(1), "Uncertainty Files (*.uncert)");
    EXPECT_EQ(prompts.dialogs.last().at(2), "old.uncert");
    EXPECT_EQ(Settings::value(QStringLiteral("DEFAULTUNCERT")), uncert);
}

TEST_F(QuickSetupTest, TheWipeAsksTwiceAndSendsTheEraseWithoutWaiting)
{
    prompts.answers << Prompts::Answer::Yes << Prompts::Answer::No;
    EXPECT_EQ(EepromWipe::run(dvm, prompts), EepromWipe::Outcome::Cancelled);
    EXPECT_TRUE(dvm.sent.isEmpty());
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[0].text, "This will clear all settings - please confirm");
    EXPECT_EQ(prompts.shown[1].text, "This will clear everything - please confirm again");
    for (const ScriptedPrompts::Shown &s : prompts.shown) {
        EXPECT_EQ(s.title, "Clear All Settings");
        EXPECT_EQ(s.defaultAnswer, Prompts::Answer::No);
    }

    prompts.shown.clear();
    prompts.answers << Prompts::Answer::Yes << Prompts::Answer::Yes;
    EXPECT_EQ(EepromWipe::run(dvm, prompts), EepromWipe::Outcome::Sent);
    EXPECT_EQ(dvm.commands(), (QStringList{kSystemPassword, "WXerase"}));
    EXPECT_FALSE(dvm.sent[1].waitForAck);
    EXPECT_EQ(prompts.shown.last().text, "Meter will be unresponsive for several minutes");
    EXPECT_EQ(prompts.shown.last().icon, Prompts::Icon::Information);

    // A refused password sends nothing more; one without a clear answer may have been taken, so
    // the exit password follows it.
    for (const QString &answer : {QStringLiteral("*9\r"), QStringLiteral("TIMEOUT")}) {
        dvm.sent.clear();
        prompts.shown.clear();
        reply = [&answer](const QString &command) {
            return command == kSystemPassword ? answer : QStringLiteral("*0\r");
        };
        prompts.answers << Prompts::Answer::Yes << Prompts::Answer::Yes;
        EXPECT_EQ(EepromWipe::run(dvm, prompts), EepromWipe::Outcome::NoSetupMode);
        EXPECT_EQ(dvm.commands(), answer == QLatin1String("TIMEOUT") ? QStringList({kSystemPassword, kExitPassword})
                                                                      : QStringList{kSystemPassword});
        EXPECT_EQ(prompts.shown.last().text, "Error entering setup mode");
        EXPECT_EQ(prompts.shown.last().title, "Clear All Settings");
    }
}

} // namespace
