// Faults during "Save To Meter" of the specification table, against the program's own driver and
// serial transport.

#include "SerialFaultFixture.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "sim/SpecificationTable.h"

namespace {

using State = SpecTable::CellState;
using Outcome = SpecOperations::Outcome;

class SpecSaveFaultTest : public SerialFaultTest
{
protected:
    void SetUp() override
    {
        SerialFaultTest::SetUp();
        QObject::connect(&sim.front, &PtyFront::lineReceived, &sim.front, [this](const QByteArray &line) {
            if (line.trimmed().isEmpty())
                return;
            heard << line.trimmed();
            sim.knobs().garbage = garbled.contains(heard.size()) ? FaultKnobs::defaultGarbage() : QByteArray();
        });
    }

    SpecOperations specOperations() { return SpecOperations(specs, dvm(), prompts); }

    /// Makes `count` figures pending, row by row from row 1, each a quarter more than the
    /// instrument holds, and returns their (row, figure index, value).
    struct Figure
    {
        int row;
        int index;
        double value;
    };
    QList<Figure> editFigures(int count)
    {
        QList<Figure> figures;
        for (int row = 1; figures.size() < count; ++row) {
            specs.ensureRow(row);
            const SpecificationTable::Row held = sim.memory().specifications().row(row);
            specs.setCell(row, 0, QString::fromLatin1(held.label), State::InStep);
            for (int index = 0; index < SpecTable::kFigures && figures.size() < count; ++index) {
                const double value = held.figures[index] + 0.25 * (figures.size() + 1);
                specs.setCell(row, index + 1, QString::number(value), State::Pending);
                figures.append({row, index, value});
            }
        }
        return figures;
    }

    bool instrumentHolds(const Figure &f)
    {
        return sim.memory().specifications().row(f.row).figures[f.index] == f.value;
    }
    State stateOf(const Figure &f) const { return specs.state(f.row, f.index + 1); }
    QList<QByteArray> heardStarting(const QByteArray &start) const
    {
        QList<QByteArray> found;
        for (const QByteArray &command : heard) {
            if (command.startsWith(start))
                found << command;
        }
        return found;
    }

    SpecTable specs;
    /// Every command the instrument heard in this test, in order.
    QList<QByteArray> heard;
    /// Numbers (in `heard`, from 1) of the commands whose answers come with noise in front.
    QList<int> garbled;
};

const QString kFiftyOneLeft =
    QStringLiteral("No clear answer from the meter: 51 changed cells not written, they stay pending");

TEST_F(SpecSaveFaultTest, InstrumentSilentFromThe50thCellOfA100CellSave)
{
    describeCase("the instrument stops answering from the 50th figure of a 100-figure \"Save To Meter\" (it still "
                 "hears)",
                 "figures 1-49 in step, 50-100 still pending (none marked in step or unconfirmed), no version record, "
                 "a plain message after one time-out; the exit password is still sent; a later save writes the rest");
    const QList<Figure> figures = editFigures(100);
    sim.knobs().silentFromCommand = sim.calibrator.commandsHeard() + 1 + 50; // the password, then the figures
    const qint64 start = fake.clock.nowMs();
    const SpecOperations::SaveSummary summary = specOperations().saveToMeter();

    EXPECT_LT(fake.clock.nowMs() - start, 30000) << "one time-out for the figure, one for the exit password";
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    EXPECT_FALSE(summary.complete());
    for (int i = 0; i < figures.size(); ++i)
        ASSERT_EQ(stateOf(figures[i]), i < 49 ? State::InStep : State::Pending) << i;
    EXPECT_EQ(prompts.texts(), QStringList{kFiftyOneLeft});
    EXPECT_EQ(heardStarting("Ws").size(), 50) << "nothing is sent after the unanswered figure";
    EXPECT_TRUE(heardStarting("&05").isEmpty()) << "no version record for a table half written";
    EXPECT_EQ(heard.last(), "CAL:PASSWORD 0");
    EXPECT_FALSE(sim.memory().inSetupMode()) << "the unanswered exit password was carried out";

    sim.knobs().silentFromCommand = 0;
    prompts.shown.clear();
    const SpecOperations::SaveSummary second = specOperations().saveToMeter();
    EXPECT_TRUE(second.complete());
    EXPECT_EQ(second.accepted, 51);
    for (const Figure &f : figures)
        ASSERT_TRUE(instrumentHolds(f)) << f.row << "/" << f.index;
    EXPECT_EQ(specs.pendingCount(), 0);
    EXPECT_EQ(sim.memory().record(5), "Spec ___ 08/12/26");
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(SpecSaveFaultTest, InstrumentRestartsInTheMiddleOfASave)
{
    describeCase("the instrument restarts instead of taking the 50th figure of a 100-figure \"Save To Meter\"",
                 "figures 50-100 stay pending, the save stops after one time-out with a plain message instead of "
                 "running on into \"Setup Password Needed\"; the instrument comes up out of setup mode and a later "
                 "save writes the rest");
    const QList<Figure> figures = editFigures(100);
    sim.knobs().rebootAtCommand = sim.calibrator.commandsHeard() + 1 + 50;
    const SpecOperations::SaveSummary summary = specOperations().saveToMeter();

    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    EXPECT_EQ(specs.pendingCount(), 51);
    EXPECT_EQ(stateOf(figures[49]), State::Pending);
    EXPECT_FALSE(instrumentHolds(figures[49]));
    EXPECT_EQ(prompts.texts(), QStringList{kFiftyOneLeft});
    EXPECT_EQ(heardStarting("Ws").size(), 50);
    EXPECT_FALSE(sim.memory().inSetupMode());

    prompts.shown.clear();
    EXPECT_EQ(specOperations().saveToMeter().accepted, 51);
    for (const Figure &f : figures)
        ASSERT_TRUE(instrumentHolds(f));
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(SpecSaveFaultTest, NoiseInFrontOfOneAnswer)
{
    describeCase("NUL, 8-bit and escape bytes in front of the answer to the 50th figure of a save",
                 "the answer is not taken as \"*0\" nor as a refusal: figures 50-100 stay pending and the save stops "
                 "with a plain message; the exit password is sent and answered");
    const QList<Figure> figures = editFigures(100);
    garbled = {1 + 50};
    const SpecOperations::SaveSummary summary = specOperations().saveToMeter();

    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.unconfirmed, 0);
    for (int i = 0; i < figures.size(); ++i)
        ASSERT_EQ(stateOf(figures[i]), i < 49 ? State::InStep : State::Pending) << i;
    EXPECT_TRUE(instrumentHolds(figures[49])) << "the instrument took it; only its answer was garbled";
    EXPECT_EQ(prompts.texts(), QStringList{kFiftyOneLeft});
    EXPECT_EQ(heard.last(), "CAL:PASSWORD 0");
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(SpecSaveFaultTest, AGarbledAnswerToThePassword)
{
    describeCase("noise in front of the answer to the password of \"Save To Meter\" and of \"Clear Meter\"",
                 "\"Error entering setup mode\", nothing written or cleared, and the exit password follows, since "
                 "the instrument may have taken the password");
    const QList<Figure> figures = editFigures(3);
    garbled = {1}; // the exit password is answered cleanly
    EXPECT_EQ(specOperations().saveToMeter().outcome, Outcome::NoSetupMode);
    EXPECT_EQ(prompts.texts(), QStringList{"Error entering setup mode"});
    EXPECT_EQ(heard, (QList<QByteArray>{"CALIBRATE:PASSWORD 7715", "CAL:PASSWORD 0"}));
    EXPECT_FALSE(sim.memory().inSetupMode());
    for (const Figure &f : figures)
        EXPECT_EQ(stateOf(f), State::Pending);

    heard.clear();
    prompts.shown.clear();
    const double held = sim.memory().specifications().row(1).figures[0];
    garbled = {1};
    prompts.answers.enqueue(Prompts::Answer::Yes);
    EXPECT_EQ(specOperations().clearMeter(false), Outcome::NoSetupMode);
    EXPECT_EQ(heard, (QList<QByteArray>{"SYSTEM:PASSWORD 5820316", "CAL:PASSWORD 0"}));
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_EQ(sim.memory().specifications().row(1).figures[0], held);
}

} // namespace
