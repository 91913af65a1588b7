// The new-instrument setup sequence when the instrument restarts in the middle of it.

#include "FileFaults.h"
#include "SerialFaultFixture.h"
#include "caldata/QuickSetup.h"

#include <QTemporaryDir>

namespace {

class QuickSetupFaultTest : public SerialFaultTest
{
protected:
    void SetUp() override
    {
        SerialFaultTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        QObject::connect(&sim.front, &PtyFront::lineReceived, &sim.front, [this](const QByteArray &line) {
            const QByteArray command = line.trimmed();
            if (command.isEmpty())
                return;
            heard << command;
            if (!restartAt.isEmpty() && command.startsWith(restartAt) && --restartOccurrence == 0)
                sim.knobs().rebootAtCommand = sim.calibrator.commandsHeard() + 1;
        });
    }

    /// The instrument restarts instead of carrying out the n-th command that starts with `command`.
    void restartOn(const QByteArray &command, int occurrence = 1)
    {
        restartAt = command;
        restartOccurrence = occurrence;
    }

    /// Every box ticked that this program can do, and a default specification file of two rows
    /// whose figures the instrument does not hold yet.
    QuickSetupChoices everyTask()
    {
        QByteArray file = "Version QS1\r\n";
        for (int row = 1; row <= 2; ++row) {
            file += "R00" + QByteArray::number(row) + " X , ";
            for (double figure : sim.memory().specifications().row(row).figures)
                file += QByteArray::number(figure + 1.25) + ',';
            file += "\r\n";
        }
        const QString path = dir.filePath(QStringLiteral("default.spec"));
        EXPECT_TRUE(writeAll(path, file));

        QuickSetupChoices choices;
        choices.setDate = true;
        choices.setPassword = true;
        choices.password = QStringLiteral("1234");
        choices.backupCal = true;
        choices.clearCal = true;
        choices.loadSpecs = true;
        choices.specFile = path;
        return choices;
    }

    QuickSetup::Result run(const QuickSetupChoices &choices) { return QuickSetup(dvm(), prompts).run(choices); }

    bool heardAny(const QList<QByteArray> &starts) const
    {
        for (const QByteArray &command : heard) {
            for (const QByteArray &start : starts) {
                if (command.startsWith(start))
                    return true;
            }
        }
        return false;
    }

    QTemporaryDir dir;
    QList<QByteArray> heard;
    QByteArray restartAt;
    int restartOccurrence = 0;
};

TEST_F(QuickSetupFaultTest, InstrumentRestartsInsteadOfTakingTheBackupBeforeTheClear)
{
    describeCase("Quick Setup with clock, password, backup, clear and specifications ticked; the instrument "
                 "restarts instead of taking the backup (CB)",
                 "the run stops at the backup with \"Error backing up cal factors\" and never clears the factors it "
                 "could not back up (no CC); \"Setup Tasks Not Completed\"; the instrument ends out of setup mode");
    restartOn("CB");
    const QList<qint32> active = sim.memory().factors(1);
    const QuickSetup::Result result = run(everyTask());

    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.report, "Date Set\r\nCalibration Password Set\r\n");
    EXPECT_FALSE(heardAny({"CC", "Ws", "&05"})) << "factors that could not be backed up are never cleared";
    EXPECT_EQ(sim.memory().factors(1), active);
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_EQ(heard.last(), "CAL:PASSWORD 0") << "the exit password once the instrument is up again";
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[0].text, "Error backing up cal factors");
    EXPECT_EQ(prompts.shown[1].title, QuickSetup::kNotCompletedTitle);
    EXPECT_EQ(prompts.shown[1].icon, Prompts::Icon::Critical);
}

struct RestartCase
{
    const char *name;
    const char *what;   ///< the command in words
    QByteArray command; ///< the instrument restarts instead of carrying out this command ...
    int occurrence;     ///< ... the n-th time it comes
    int timeoutSeconds; ///< the command's time-out
    QString box;        ///< what the failed step says
    QString report;     ///< the report up to the failure
    QList<QByteArray> neverHeard;
    bool factorsCleared; ///< "CC" was carried out before the restart
};

class QuickSetupRestartTest : public QuickSetupFaultTest, public ::testing::WithParamInterface<RestartCase>
{
};

TEST_P(QuickSetupRestartTest, StopsAtTheStepAndLeavesTheInstrumentOutOfSetupMode)
{
    const RestartCase &c = GetParam();
    const std::string fault =
        std::string("Quick Setup with every task ticked; the instrument restarts instead of carrying out ") + c.what;
    const std::string expected = "the run stops there with \"" + c.box.toStdString()
        + "\"; nothing of a later step is sent; "
        + (c.report.isEmpty() ? "the run is not completed (its report is empty, so no report box)"
                              : "the report so far under \"Setup Tasks Not Completed\"")
        + "; the instrument ends out of setup mode";
    describeCase(fault.c_str(), expected.c_str());
    restartOn(c.command, c.occurrence);
    const QList<qint32> active = sim.memory().factors(1);
    const qint64 start = fake.clock.nowMs();
    const QuickSetup::Result result = run(everyTask());

    EXPECT_LT(fake.clock.nowMs() - start, (c.timeoutSeconds + 15) * 1000) << "one time-out, then the exit password";
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.report, c.report);
    EXPECT_FALSE(heardAny(c.neverHeard));
    EXPECT_EQ(sim.memory().factors(1) == active, !c.factorsCleared);
    EXPECT_FALSE(sim.memory().inSetupMode());
    ASSERT_FALSE(prompts.shown.isEmpty());
    EXPECT_EQ(prompts.shown[0].text, c.box);
    // An empty report shows no box of its own; otherwise it is the last box, as not completed.
    EXPECT_EQ(prompts.shown.size(), c.report.isEmpty() ? 1 : 2);
    if (!c.report.isEmpty()) {
        EXPECT_EQ(prompts.shown.last().title, QuickSetup::kNotCompletedTitle);
    }
}

const QString kUpToTheClear =
    QStringLiteral("Date Set\r\nCalibration Password Set\r\nCalibration Factors Backed Up\r\n");

INSTANTIATE_TEST_SUITE_P(
    AtEachStep, QuickSetupRestartTest,
    ::testing::Values(RestartCase{"Clock",
                                  "the clock command (A)",
                                  "A",
                                  1,
                                  10,
                                  "Error setting time",
                                  "",
                                  {"K", "CB", "CC", "Ws", "&05"},
                                  false},
                      RestartCase{"PasswordBeforeTheUserPassword",
                                  "the system password before the user password",
                                  "SYSTEM:PASSWORD",
                                  2,
                                  10,
                                  "Error sending password",
                                  "Date Set\r\n",
                                  {"K", "CB", "CC", "Ws", "&05"},
                                  false},
                      RestartCase{"UserPassword",
                                  "the user password (K)",
                                  "K",
                                  1,
                                  10,
                                  "Error setting calibration password",
                                  "Date Set\r\n",
                                  {"CB", "CC", "Ws", "&05"},
                                  false},
                      RestartCase{"Clear",
                                  "the clear of the factors (CC)",
                                  "CC",
                                  1,
                                  60,
                                  "Error clearing cal factors",
                                  kUpToTheClear,
                                  {"Ws", "&05"},
                                  false},
                      RestartCase{"ThirdSpecificationFigure",
                                  "the third figure of the default specifications (Ws)",
                                  "Ws",
                                  3,
                                  10,
                                  "No clear answer from the meter: 26 changed cells not written, they stay pending",
                                  kUpToTheClear
                                      + "Calibration Factors Cleared\r\nERROR: Default Specifications Not Loaded\r\n",
                                  {"&05"},
                                  true}),
    [](const ::testing::TestParamInfo<RestartCase> &info) { return std::string(info.param.name); });

} // namespace
