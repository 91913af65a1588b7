// Faults on the RS-232 line and in the instrument, against the program's own driver, transport
// and calibration-factor operations.

#include "SerialFaultFixture.h"
#include "instrument/Reply.h"

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

TEST_F(SerialFaultTest, DeviceVanishesInTheMiddleOfAnExchange)
{
    describeCase("the serial device disappears while a reply is awaited",
                 "the exchange ends at once without success; later exchanges fail fast; after reconnecting "
                 "the next exchange succeeds");
    sim.knobs().replyDelayMs = 3000;
    onLine(1, [this] { fake.clock.schedule(1000, &sim.front, [this] { sim.front.close(); }); });
    const qint64 start = fake.clock.nowMs();
    const QString reply = dvm().SendString(QStringLiteral("T"), true, 5, 1);
    EXPECT_FALSE(Reply::isSuccess(reply));
    EXPECT_EQ(last.outcome(), ExchangeOutcome::LinkFailed);
    EXPECT_LT(fake.clock.nowMs() - start, 5000) << "ended by the failure, not by the time-out";

    const qint64 again = fake.clock.nowMs();
    EXPECT_EQ(dvm().SendString(QStringLiteral("T"), true, 5, 1), "");
    EXPECT_LT(fake.clock.nowMs() - again, 1000) << "a port that is gone is not waited for";

    sim.knobs().replyDelayMs = 0;
    reconnect();
    EXPECT_TRUE(Reply::isSuccess(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 10, 1)));
}

TEST_F(SerialFaultTest, DeviceVanishesDuringTheLoadOfAll149Ranges)
{
    describeCase("the serial device disappears at the 50th of 149 CAL:PRINT commands",
                 "the load stops and names ranges 050 to 149 as not read; rows 1-49 hold the instrument's "
                 "factors; a load after reconnecting is complete");
    onLine(50, [this] { sim.front.close(); });
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 050 to 149 not read"}));
    for (int range = 1; range < 50; ++range) {
        const QList<qint32> factors = sim.memory().factors(range);
        for (int i = 0; i < factors.size(); ++i)
            ASSERT_EQ(table.text(range, i + 1), QString::number(factors[i])) << range;
    }
    for (int column = 1; column < table.columnCount(); ++column)
        EXPECT_EQ(table.text(50, column), "");

    reconnect();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    EXPECT_EQ(table.text(144, 1), QString::number(sim.memory().factors(144)[0]));
}

TEST_F(SerialFaultTest, DeviceVanishesInTheMiddleOfASave)
{
    describeCase("the serial device disappears at the 50th cell of a 100-cell save",
                 "cells 1-49 in step, cells 50-100 still pending, a plain message; saving again after "
                 "reconnecting writes the rest and leaves setup mode");
    const QList<Edit> edits = editCells(100);
    onLine(1 + 50, [this] { sim.front.close(); }); // the system password, then the cells
    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    for (int i = 0; i < edits.size(); ++i)
        ASSERT_EQ(stateOf(edits[i]), i < 49 ? State::InStep : State::Pending) << i;
    EXPECT_EQ(prompts.texts(),
              QStringList({"No clear answer from the calibrator: 51 changed cells not written, they stay pending"}));

    reconnect();
    const auto second = operations().saveToCalibrator();
    EXPECT_EQ(second.outcome, Outcome::Done);
    EXPECT_EQ(second.accepted, 51);
    for (const Edit &e : edits)
        ASSERT_TRUE(instrumentHolds(e)) << e.range << "/" << e.index;
    EXPECT_EQ(table.pendingCount(), 0);
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(SerialFaultTest, NoiseInFrontOfEveryReply)
{
    describeCase("NUL, 8-bit and escape bytes in front of every reply",
                 "the load completes with the noise visible in the first cell of each row and nothing pending; "
                 "a save cannot enter setup mode, says so, sends the exit password and writes nothing");
    sim.knobs().garbage = FaultKnobs::defaultGarbage();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    EXPECT_TRUE(table.text(1, 1).startsWith(QString::fromLatin1(FaultKnobs::defaultGarbage())));
    EXPECT_EQ(table.text(1, 2), QString::number(sim.memory().factors(1)[1]));
    EXPECT_EQ(table.pendingCount(), 0) << "noise is shown, never queued for the instrument";

    const QList<Edit> edits = editCells(3);
    EXPECT_EQ(operations().saveToCalibrator().outcome, Outcome::NoSetupMode);
    EXPECT_EQ(prompts.texts(), QStringList({"Error entering setup mode"}));
    EXPECT_FALSE(sim.memory().inSetupMode()) << "the password was taken, so the exit password followed";
    for (const Edit &e : edits) {
        EXPECT_FALSE(instrumentHolds(e));
        EXPECT_EQ(stateOf(e), State::Pending);
    }
}

TEST_F(SerialFaultTest, AMegabyteWithoutALineEnd)
{
    describeCase("a megabyte without CR in answer to CAL:PRINT 003",
                 "the exchange is cut off at the 1 MiB bound (OVERFLOW), the load stops naming ranges 003 to "
                 "149; the next exchange is answered normally");
    onLine(3, [this] { sim.knobs().garbage = QByteArray(TransportState::kMaxReplyBytes + 1, 'x'); });
    onLine(4, [this] { sim.knobs().garbage.clear(); });
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_EQ(last.outcome(), ExchangeOutcome::Overflow);
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 003 to 149 not read"}));
    EXPECT_EQ(table.text(2, 1), QString::number(sim.memory().factors(2)[0]));

    EXPECT_TRUE(Reply::isSuccess(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 10, 1)));
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
}

TEST_F(SerialFaultTest, RepliesSlowerThanTheTimeout)
{
    describeCase("every reply comes 11 s late (the time-outs are 5 and 10 s)",
                 "the load gives up after one time-out, not 149; a save cannot enter setup mode and sends the "
                 "exit password, so the late-acting instrument ends out of setup mode; late answers are never "
                 "taken for later commands' answers");
    sim.knobs().replyDelayMs = 11000;
    const qint64 start = fake.clock.nowMs();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_LT(fake.clock.nowMs() - start, 15000);
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 001 to 149 not read"}));

    const QList<Edit> edits = editCells(2);
    EXPECT_EQ(operations().saveToCalibrator().outcome, Outcome::NoSetupMode);
    fake.clock.advance(30000); // the late answers arrive while nobody waits
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_EQ(stateOf(edits[0]), State::Pending);

    sim.knobs().replyDelayMs = 0;
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    EXPECT_EQ(table.text(1, 1), QString::number(sim.memory().factors(1)[0]));
}

TEST_F(SerialFaultTest, InstrumentSilentFromThe50thCellOfA100CellSave)
{
    describeCase("the instrument stops answering from the 50th cell of a 100-cell save (it still hears)",
                 "cells 1-49 in step, 50-100 pending, a plain message after one time-out; the exit password is "
                 "still sent; a later save writes the rest");
    const QList<Edit> edits = editCells(100);
    sim.knobs().silentFromCommand = sim.calibrator.commandsHeard() + 1 + 50;
    const qint64 start = fake.clock.nowMs();
    const auto summary = operations().saveToCalibrator();
    EXPECT_LT(fake.clock.nowMs() - start, 60000) << "one time-out for the cell, one for the exit password";
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    for (int i = 0; i < edits.size(); ++i)
        ASSERT_EQ(stateOf(edits[i]), i < 49 ? State::InStep : State::Pending) << i;
    EXPECT_EQ(prompts.texts(),
              QStringList({"No clear answer from the calibrator: 51 changed cells not written, they stay pending"}));
    EXPECT_FALSE(sim.memory().inSetupMode()) << "the unanswered exit password was carried out";

    sim.knobs().silentFromCommand = 0;
    EXPECT_EQ(operations().saveToCalibrator().accepted, 51);
    for (const Edit &e : edits)
        ASSERT_TRUE(instrumentHolds(e));
}

TEST_F(SerialFaultTest, InstrumentRestartsInTheMiddleOfASave)
{
    describeCase("the instrument restarts instead of taking the 50th cell of a 100-cell save",
                 "cells 50-100 stay pending; the instrument comes up out of setup mode and a later save "
                 "writes the rest");
    const QList<Edit> edits = editCells(100);
    sim.knobs().rebootAtCommand = sim.calibrator.commandsHeard() + 1 + 50;
    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    EXPECT_EQ(table.pendingCount(), 51);
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_FALSE(instrumentHolds(edits[49]));

    EXPECT_EQ(operations().saveToCalibrator().accepted, 51);
    for (const Edit &e : edits)
        ASSERT_TRUE(instrumentHolds(e));
    EXPECT_FALSE(sim.memory().inSetupMode());
}

} // namespace
