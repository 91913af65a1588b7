// Faults on the USB route: the bridge unplugged under an exchange, a load and a save; noise,
// floods, late and missing answers from the instrument behind it.

#include "SerialFaultFixture.h"
#include "fixtures/LastExchange.h"
#include "fixtures/SimUsb.h"
#include "instrument/usb/UsbTransport.h"

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

/**
 * @brief The program's driver and USB transport against the virtual calibrator behind a simulated
 * bridge, with the calibration-factor grid and its operations, on virtual time.
 */
class UsbFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Bridge and calibrator live in this process: no real wire to let settle.
        fake.clock.settleMs = 1;
        fake.clock.pauseSettleMs = 1;
        sim.install(session);
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.usbDevice.SerialNumber = QStringLiteral("QV1");
        session.dvm()->connect(Endpoint::usb(session.usbDevice.SerialNumber, session.usbDevice.Name));
    }

    CalFactorOperations operations()
    {
        CalFactorOperations::Hooks hooks;
        hooks.status = [this](const QString &text) { statuses << text; };
        // The fault cases count the write protocol's lines; the read-back has cases of its own.
        CalFactorOperations ops(table, *session.dvm(), prompts, hooks);
        ops.setVerifyWrites(false);
        return ops;
    }

    IDVM &dvm() { return *session.dvm(); }
    InstrumentMemory &memory() { return calibrator.memory(); }
    qint64 now() const { return fake.clock.nowMs(); }

    /// Calls action when the n-th line (counting from 1 from now) reaches the bridge, before the
    /// instrument takes it.
    void onLine(int n, std::function<void()> action)
    {
        auto heard = std::make_shared<int>(0);
        QObject::connect(sim.bridge.get(), &SimUsbBridge::lineHeard, sim.bridge.get(),
                         [heard, n, action = std::move(action)](int, const QByteArray &) {
                             if (++*heard == n)
                                 action();
                         });
    }

    struct Edit
    {
        int range;
        int index;
        qint32 value;
    };
    /// Makes `count` cells pending with values the instrument does not hold yet, in grid order.
    QList<Edit> editCells(int count)
    {
        QList<Edit> edits;
        table.reshapeForFactors();
        for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange && edits.size() < count; ++range) {
            const QList<qint32> factors = memory().factors(range);
            table.setText(range, 0, CalFactorTable::rangeLabel(range));
            for (int index = 0; index < factors.size() && edits.size() < count; ++index) {
                const qint32 value = factors[index] + 1000 + qint32(edits.size());
                table.setCell(range, index + 1, QString::number(value), State::Pending);
                edits.append({range, index, value});
            }
        }
        return edits;
    }
    bool instrumentHolds(const Edit &e) { return memory().factors(e.range).value(e.index) == e.value; }
    State stateOf(const Edit &e) const { return table.state(e.range, e.index + 1); }

    /// Rows first..last of the grid hold exactly the instrument's factors.
    void expectRowsRead(int first, int last)
    {
        for (int range = first; range <= last; ++range) {
            const QList<qint32> factors = memory().factors(range);
            for (int i = 0; i < factors.size(); ++i)
                ASSERT_EQ(table.text(range, i + 1), QString::number(factors[i])) << range << "/" << i;
        }
    }

    ScopedFakeClock fake;
    SimUsb sim;
    VirtualCalibrator &calibrator = sim.addCalibrator(QStringLiteral("5241"), "Quorvadine USB-232", "QV1");
    InstrumentSession session;
    LastExchange last{session.context()};
    CalFactorTable table;
    ScriptedPrompts prompts;
    QStringList statuses;
};

TEST_F(UsbFaultTest, UnpluggedInTheMiddleOfAnExchange)
{
    describeCase("the USB bridge is unplugged 1 s into a 5 s wait for a reply",
                 "the exchange ends at once as TIMEOUT with the handle closed; later exchanges fail without "
                 "waiting; after plugging in again the next exchange succeeds");
    calibrator.knobs().replyDelayMs = 3000;
    onLine(1, [this] { fake.clock.schedule(1000, sim.bridge.get(), [this] { sim.bridge->unplug(0); }); });
    const qint64 start = now();
    EXPECT_EQ(dvm().SendString(QStringLiteral("T"), true, 5, 1), Reply::Timeout);
    EXPECT_EQ(last.outcome(), ExchangeOutcome::LinkFailed);
    EXPECT_EQ(now() - start, 1000) << "ended by the failure, not by the time-out";
    EXPECT_FALSE(sim.bridge->anyOpen()) << "the dead handle is given back";
    EXPECT_FALSE(session.context().usb().exchangeRunning());

    for (int attempt = 0; attempt < 3; ++attempt) {
        const qint64 again = now();
        EXPECT_EQ(dvm().SendString(QStringLiteral("T"), true, 5, 1), Reply::Timeout);
        EXPECT_EQ(now() - again, 0) << "a bridge that is gone is not waited for";
        EXPECT_EQ(last.outcome(), ExchangeOutcome::OpenFailed);
    }
    EXPECT_TRUE(last.reply.detail.contains(QLatin1String("QV1")));
    EXPECT_EQ(session.context().usb().ListUSBDevices(), 0) << "a device picker shows it gone";
    fake.clock.advance(5000); // the answer the instrument had on its way is lost with the cable

    sim.bridge->plugIn(0);
    EXPECT_EQ(session.context().usb().ListUSBDevices(), 1);
    calibrator.knobs().replyDelayMs = 0;
    EXPECT_TRUE(Reply::isSuccess(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 10, 1)));
    EXPECT_EQ(sim.bridge->heardLines(0).last(), "CAL:PASSWORD 0");
    EXPECT_EQ(sim.bridge->openCount(0), 2) << "opened afresh after the failure, and held";
    fake.clock.advance(UsbBridgeAccess::kIdleCloseMs);
    EXPECT_FALSE(sim.bridge->anyOpen());
}

TEST_F(UsbFaultTest, UnpluggedDuringTheLoadOfAll149Ranges)
{
    describeCase("the USB bridge is unplugged under the 50th of 149 CAL:PRINT commands",
                 "the load stops at once and names ranges 050 to 149 as not read; rows 1-49 hold the "
                 "instrument's factors; later exchanges fail without waiting; a load after plugging in again "
                 "is complete");
    onLine(50, [this] { sim.bridge->unplug(0); });
    const qint64 start = now();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_LT(now() - start, 50 * TransportState::kPacingBackToBackMs + 100)
        << "the pauses between commands, no time-out";
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 050 to 149 not read"}));
    expectRowsRead(1, 49);
    for (int column = 1; column < table.columnCount(); ++column)
        EXPECT_EQ(table.text(50, column), "");
    EXPECT_FALSE(sim.bridge->anyOpen());

    const qint64 again = now();
    EXPECT_EQ(dvm().SendString(QStringLiteral("CAL:PRINT 050"), true, 10, 1), Reply::Timeout);
    EXPECT_EQ(now() - again, 0);

    sim.bridge->plugIn(0);
    statuses.clear();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    EXPECT_EQ(statuses, QStringList());
    expectRowsRead(1, 149);
}

TEST_F(UsbFaultTest, UnpluggedInTheMiddleOfASave)
{
    describeCase("the USB bridge is unplugged under the 50th cell of a 100-cell save",
                 "cells 1-49 in step, cells 50-100 still pending, a plain message; saving again after plugging "
                 "in writes the rest and leaves setup mode");
    const QList<Edit> edits = editCells(100);
    onLine(1 + 50, [this] { sim.bridge->unplug(0); }); // the system password, then the cells
    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    for (int i = 0; i < edits.size(); ++i)
        ASSERT_EQ(stateOf(edits[i]), i < 49 ? State::InStep : State::Pending) << i;
    EXPECT_FALSE(instrumentHolds(edits[49])) << "the command never reached the instrument";
    EXPECT_EQ(prompts.texts(),
              QStringList({"No clear answer from the calibrator: 51 changed cells not written, they stay pending"}));
    EXPECT_FALSE(sim.bridge->anyOpen());

    sim.bridge->plugIn(0);
    const auto second = operations().saveToCalibrator();
    EXPECT_EQ(second.outcome, Outcome::Done);
    EXPECT_EQ(second.accepted, 51);
    for (const Edit &e : edits)
        ASSERT_TRUE(instrumentHolds(e)) << e.range << "/" << e.index;
    EXPECT_EQ(table.pendingCount(), 0);
    EXPECT_FALSE(memory().inSetupMode());
}

TEST_F(UsbFaultTest, NoiseInFrontOfEveryReply)
{
    describeCase("over USB, NUL, 8-bit and escape bytes in front of every reply",
                 "the load completes with the noise visible in the first cell of each row and nothing pending; "
                 "a save cannot enter setup mode, says so, sends the exit password and writes nothing");
    calibrator.knobs().garbage = FaultKnobs::defaultGarbage();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    const QString noise = QString::fromLatin1(FaultKnobs::defaultGarbage());
    EXPECT_EQ(table.text(1, 1), noise + QString::number(memory().factors(1)[0])) << "every byte kept, NUL included";
    EXPECT_EQ(table.text(144, 1), noise + QString::number(memory().factors(144).value(0)));
    EXPECT_EQ(table.text(1, 2), QString::number(memory().factors(1)[1]));
    EXPECT_EQ(table.pendingCount(), 0) << "noise is shown, never queued for the instrument";

    const QList<Edit> edits = editCells(3);
    EXPECT_EQ(operations().saveToCalibrator().outcome, Outcome::NoSetupMode);
    EXPECT_EQ(prompts.texts(), QStringList({"Error entering setup mode"}));
    EXPECT_FALSE(memory().inSetupMode()) << "the password was taken, so the exit password followed";
    for (const Edit &e : edits) {
        EXPECT_FALSE(instrumentHolds(e));
        EXPECT_EQ(stateOf(e), State::Pending);
    }
}

TEST_F(UsbFaultTest, AMegabyteWithoutALineEnd)
{
    describeCase("over USB, a megabyte without CR streams in, in 64 pieces, in answer to CAL:PRINT 003",
                 "the exchange is cut off at the 1 MiB bound (OVERFLOW), the load stops naming ranges 003 to "
                 "149 as not read; the next exchange is answered normally");
    onLine(3, [this] {
        FaultKnobs &knobs = calibrator.knobs();
        knobs.garbage = QByteArray(TransportState::kMaxReplyBytes + 1, 'x');
        knobs.splitPieces = 64;
        knobs.splitGapMs = 10;
    });
    onLine(4, [this] { calibrator.knobs() = FaultKnobs(); });
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_EQ(last.outcome(), ExchangeOutcome::Overflow);
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 003 to 149 not read"}));
    expectRowsRead(1, 2);
    EXPECT_EQ(table.text(3, 1), "");
    EXPECT_FALSE(sim.bridge->anyOpen());

    calibrator.knobs() = FaultKnobs();
    EXPECT_TRUE(Reply::isSuccess(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 10, 1)));
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    expectRowsRead(1, 149);
}

TEST_F(UsbFaultTest, AFullLoadOpensTheBridgeOnceAndTheIdleTimeGivesItBack)
{
    describeCase("over USB, a complete factor load (149 exchanges) and then nothing",
                 "the bridge is opened once for the whole load and stays open; 2 s after the last exchange it "
                 "is closed (the system's serial driver comes back)");
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    expectRowsRead(1, 149);
    EXPECT_GE(sim.bridge->heardLines(0).size(), 149);
    EXPECT_EQ(sim.bridge->openCount(0), 1);
    EXPECT_EQ(sim.bridge->closeCount(0), 0);
    fake.clock.advance(UsbBridgeAccess::kIdleCloseMs);
    EXPECT_FALSE(sim.bridge->anyOpen());
    EXPECT_EQ(sim.bridge->closeCount(0), 1);
}

TEST_F(UsbFaultTest, RepliesSlowerThanTheTimeout)
{
    describeCase("over USB, every reply comes 11 s late (the time-outs are 5 and 10 s)",
                 "the load gives up after one time-out, not 149; a save cannot enter setup mode, writes no cell "
                 "and sends the exit password, so the late-acting instrument ends out of setup mode; answers "
                 "that come while the bridge is closed are dropped, so the next load reads the instrument's own "
                 "factors");
    calibrator.knobs().replyDelayMs = 11000;
    const qint64 start = now();
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_LT(now() - start, 15000);
    EXPECT_EQ(last.outcome(), ExchangeOutcome::TimedOut);
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 001 to 149 not read"}));

    const QList<Edit> edits = editCells(2);
    EXPECT_EQ(operations().saveToCalibrator().outcome, Outcome::NoSetupMode);
    fake.clock.advance(30000); // the late answers arrive while the bridge is closed
    EXPECT_FALSE(memory().inSetupMode());
    for (const Edit &e : edits) {
        EXPECT_EQ(stateOf(e), State::Pending);
        EXPECT_FALSE(instrumentHolds(e));
    }

    calibrator.knobs().replyDelayMs = 0;
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    expectRowsRead(1, 149);
}

TEST_F(UsbFaultTest, InstrumentSilentFromThe50thCellOfA100CellSave)
{
    describeCase("over USB, the instrument stops answering from the 50th cell of a 100-cell save (it still hears)",
                 "cells 1-49 in step, 50-100 pending, a plain message after one time-out; the exit password is "
                 "still sent; a later save writes the rest");
    const QList<Edit> edits = editCells(100);
    calibrator.knobs().silentFromCommand = calibrator.commandsHeard() + 1 + 50;
    const qint64 start = now();
    const auto summary = operations().saveToCalibrator();
    EXPECT_LT(now() - start, 60000) << "one time-out for the cell, one for the exit password";
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    for (int i = 0; i < edits.size(); ++i)
        ASSERT_EQ(stateOf(edits[i]), i < 49 ? State::InStep : State::Pending) << i;
    EXPECT_EQ(prompts.texts(),
              QStringList({"No clear answer from the calibrator: 51 changed cells not written, they stay pending"}));
    EXPECT_EQ(sim.bridge->heardLines(0).last().left(12), "CAL:PASSWORD") << "the exit password went out";
    EXPECT_FALSE(memory().inSetupMode()) << "the unanswered exit password was carried out";
    fake.clock.advance(UsbBridgeAccess::kIdleCloseMs);
    EXPECT_FALSE(sim.bridge->anyOpen()) << "a time-out is no bridge failure: the idle time closes it";

    calibrator.knobs().silentFromCommand = 0;
    EXPECT_EQ(operations().saveToCalibrator().accepted, 51);
    for (const Edit &e : edits)
        ASSERT_TRUE(instrumentHolds(e));
    EXPECT_FALSE(memory().inSetupMode());
}

} // namespace
