#include "fixtures/FakeClock.h"
#include "fixtures/LastExchange.h"
#include "fixtures/SimUsb.h"
#include "instrument/IDVM.h"
#include "instrument/Reply.h"
#include "instrument/usb/UsbIdentificationPass.h"
#include "instrument/usb/UsbTransport.h"
#include "session/InstrumentSession.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// The bridge stays open between exchanges, so the system's serial driver is not detached and
// re-attached around every command; these cases count the simulated bridge's opens and closes.
class UsbBridgeHoldTest : public ::testing::Test
{
public:
    UsbBridgeHoldTest()
    {
        fake.clock.settleMs = 1;
        fake.clock.pauseSettleMs = 1;
        calibrator = &sim.addCalibrator(QStringLiteral("5241"), "Quorvadine USB-232", "QV1");
        other = &sim.addCalibrator(QStringLiteral("5241"), "Quorvadine USB-232", "QV2");
        sim.install(session);
        useBridge(QStringLiteral("QV1"));
    }

    void useBridge(const QString &serialNumber)
    {
        if (!session.dvm())
            session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.usbDevice.SerialNumber = serialNumber;
        session.dvm()->connect(Endpoint::usb(serialNumber));
    }

    bool identifies() { return dvm().CheckIdentity(dvm().Identify()); }
    IDVM &dvm() { return *session.dvm(); }
    UsbBridgeAccess &usb() { return session.context().usb(); }
    int opens(int index = 0) const { return sim.bridge->openCount(index); }
    int closes(int index = 0) const { return sim.bridge->closeCount(index); }

    ScopedFakeClock fake;
    SimUsb sim;
    VirtualCalibrator *calibrator = nullptr;
    VirtualCalibrator *other = nullptr;
    InstrumentSession session;
    LastExchange last{session.context()};
};

TEST_F(UsbBridgeHoldTest, ARunOfExchangesOpensTheBridgeOnce)
{
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(Reply::isSuccess(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 5, 1))) << i;
    EXPECT_EQ(sim.bridge->heardLines(0).size(), 120);
    EXPECT_EQ(opens(), 1);
    EXPECT_EQ(closes(), 0);
    EXPECT_EQ(usb().heldSerialNumber(), QStringLiteral("QV1"));
    EXPECT_FALSE(usb().exchangeRunning());
}

TEST_F(UsbBridgeHoldTest, TheIdleTimeClosesTheBridgeCountedFromTheLastExchange)
{
    ASSERT_TRUE(identifies());
    fake.clock.advance(UsbBridgeAccess::kIdleCloseMs / 2);
    ASSERT_TRUE(identifies());
    fake.clock.advance(UsbBridgeAccess::kIdleCloseMs - 1);
    EXPECT_TRUE(sim.bridge->anyOpen()) << "the second exchange started the idle time again";
    fake.clock.advance(1);
    EXPECT_FALSE(sim.bridge->anyOpen());
    EXPECT_EQ(closes(), 1);
    EXPECT_EQ(usb().heldSerialNumber(), QString());

    ASSERT_TRUE(identifies());
    EXPECT_EQ(opens(), 2) << "the next exchange opens it afresh";
}

TEST_F(UsbBridgeHoldTest, AWaitLongerThanTheIdleTimeKeepsItsBridge)
{
    ASSERT_TRUE(identifies());
    calibrator->knobs().replyDelayMs = 3 * UsbBridgeAccess::kIdleCloseMs;
    EXPECT_TRUE(Reply::isSuccess(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 10, 1)));
    EXPECT_EQ(last.outcome(), ExchangeOutcome::Answered);
    EXPECT_EQ(opens(), 1);
    EXPECT_EQ(closes(), 0);
}

TEST_F(UsbBridgeHoldTest, StaleBytesInTheHeldBridgeAreNotTakenForTheAnswer)
{
    ASSERT_TRUE(identifies());
    // The late "*0" of an exchange that gave up arrives between two commands.
    sim.bridge->deviceSends(0, "*0\r");
    const QString reply = dvm().SendString(QStringLiteral("*IDN?"), true, 5, 0);
    EXPECT_TRUE(reply.startsWith(QLatin1String("Quorvadine,5241,"))) << reply.toStdString();
    EXPECT_EQ(opens(), 1) << "discarded without an open to flush the bridge";
}

/// Something that happens while the first bridge is held, and how often each bridge was opened
/// and closed by then.
struct GiveBackCase
{
    const char *name;
    std::function<void(UsbBridgeHoldTest &)> action;
    int opensOfFirst;
    int closesOfFirst;
    int opensOfSecond;
    bool anyOpenAfter;
};

class UsbBridgeGiveBackTest : public UsbBridgeHoldTest, public ::testing::WithParamInterface<GiveBackCase>
{
};

TEST_P(UsbBridgeGiveBackTest, TheHeldBridgeIsGivenBackAndTheNextExchangeOpensItAgain)
{
    const GiveBackCase &c = GetParam();
    ASSERT_TRUE(identifies());
    ASSERT_TRUE(sim.bridge->anyOpen());
    c.action(*this);
    EXPECT_EQ(opens(0), c.opensOfFirst);
    EXPECT_EQ(closes(0), c.closesOfFirst);
    EXPECT_EQ(opens(1), c.opensOfSecond);
    EXPECT_EQ(sim.bridge->anyOpen(), c.anyOpenAfter);
    EXPECT_TRUE(identifies()) << "the chosen bridge answers again";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsbBridgeGiveBackTest,
    ::testing::Values(GiveBackCase{"CablePulledDuringAnExchange",
                                   [](UsbBridgeHoldTest &t) {
                                       QObject::connect(
                                           t.sim.bridge.get(), &SimUsbBridge::lineHeard, t.sim.bridge.get(),
                                           [&t](int, const QByteArray &) { t.sim.bridge->unplug(0); },
                                           Qt::SingleShotConnection);
                                       EXPECT_FALSE(t.identifies());
                                       EXPECT_EQ(t.last.outcome(), ExchangeOutcome::LinkFailed);
                                       t.sim.bridge->plugIn(0);
                                   },
                                   1, 1, 0, false},
                      GiveBackCase{"CableReplugged",
                                   [](UsbBridgeHoldTest &t) {
                                       // The held handle is dead; the exchange finds out before sending and
                                       // opens the bridge afresh.
                                       t.sim.bridge->unplug(0);
                                       t.sim.bridge->plugIn(0);
                                       EXPECT_TRUE(t.identifies());
                                   },
                                   2, 1, 0, true},
                      GiveBackCase{"CablePulledBetweenExchanges",
                                   [](UsbBridgeHoldTest &t) {
                                       t.sim.bridge->unplug(0);
                                       EXPECT_FALSE(t.identifies());
                                       EXPECT_EQ(t.last.outcome(), ExchangeOutcome::OpenFailed)
                                           << "as a bridge that is gone";
                                       t.sim.bridge->plugIn(0);
                                   },
                                   1, 1, 0, false},
                      GiveBackCase{"DriverPointedAtAnotherBridge",
                                   [](UsbBridgeHoldTest &t) {
                                       t.useBridge(QStringLiteral("QV2"));
                                       EXPECT_TRUE(t.identifies());
                                       t.useBridge(QStringLiteral("QV1"));
                                   },
                                   1, 1, 1, false},
                      GiveBackCase{"SessionClosesTheConnection", [](UsbBridgeHoldTest &t) { t.session.close(); }, 1, 1,
                                   0, false},
                      GiveBackCase{"DeviceListAsksEveryBridgeWhoItIs",
                                   [](UsbBridgeHoldTest &t) {
                                       ASSERT_EQ(t.usb().ListUSBDevices(), 2);
                                       const QStringList column = UsbIdentificationPass::run(t.usb(), 2, true);
                                       EXPECT_TRUE(column.value(0).startsWith(QLatin1String("Quorvadine,5241,")))
                                           << "not refused for being held";
                                   },
                                   2, 2, 1, false}),
    [](const ::testing::TestParamInfo<GiveBackCase> &info) { return std::string(info.param.name); });

TEST_F(UsbBridgeHoldTest, TheProgramsEndGivesTheBridgeBack)
{
    {
        InstrumentSession ending;
        sim.install(ending);
        ending.setDvm(CreateDVM(QStringLiteral("5200"), ending.context()));
        ending.dvm()->connect(Endpoint::usb(QStringLiteral("QV2")));
        ASSERT_TRUE(ending.dvm()->CheckIdentity(ending.dvm()->Identify()));
        EXPECT_EQ(opens(1), 1);
    }
    EXPECT_EQ(closes(1), 1);
    EXPECT_FALSE(sim.bridge->anyOpen());
}

} // namespace
