#include "instrument/ethernet/EthernetTransport.h"

#include "fixtures/FakeClock.h"
#include "fixtures/UdpPeer.h"
#include "instrument/InstrumentContext.h"
#include "instrument/Reply.h"
#include "instrument/ethernet/EthernetModuleLink.h"

#include <gtest/gtest.h>

namespace {

class EthernetTransportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module.isOpen());
        transport.open(Endpoint::ethernet(module.address().toString(), module.port()));
    }

    /// The exchange's reply as the windows compare it; the reply value stays in `last`.
    QString send(const QString &command, bool wait = true, int timeout = 2, int end = 1)
    {
        last = transport.exchange({command, wait, timeout, end});
        return last.conventionalText();
    }

    ScopedFakeClock fake;
    FakeClock &clock = fake.clock;
    UdpPeer module{QHostAddress(QStringLiteral("127.0.0.1"))};
    InstrumentContext context;
    EthernetTransport transport{context};
    ExchangeReply last;
};

TEST_F(EthernetTransportTest, CommandIsOneDatagramClosedByCr)
{
    module.setResponder([](const QByteArray &) { return QList<QByteArray>{"Quorvadine,5241,1,2\r\n"}; });
    EXPECT_EQ(send("*IDN?", true, 2, 0), "Quorvadine,5241,1,2\r\n");
    ASSERT_EQ(module.received.size(), 1);
    EXPECT_EQ(module.received.front(), "*IDN?\r");
    EXPECT_EQ(last.outcome, ExchangeOutcome::Answered);
}

TEST_F(EthernetTransportTest, NoModuleConfiguredSendsNothing)
{
    for (const auto &[ip, port] : {std::pair<QString, int>{QString(20, QLatin1Char(' ')), module.port()},
                                   std::pair<QString, int>{module.address().toString(), 0},
                                   std::pair<QString, int>{QStringLiteral("not an address"), module.port()}}) {
        transport.open(Endpoint::ethernet(ip, port));
        EXPECT_EQ(send("T"), "");
        EXPECT_EQ(last.outcome, ExchangeOutcome::NotConnected);
    }
    clock.pause(100);
    EXPECT_TRUE(module.received.isEmpty());
}

TEST_F(EthernetTransportTest, WithoutWaitingReturnsAtOnce)
{
    module.setResponder([](const QByteArray &) { return QList<QByteArray>{"*0\r"}; });
    EXPECT_EQ(send("O1.5", false), "");
    EXPECT_EQ(last.outcome, ExchangeOutcome::NotAwaited);
}

TEST_F(EthernetTransportTest, ReplySplitOverTwoDatagramsIsReturnedWhole)
{
    // The time-out counts from the last datagram: 1.5 s + 1.5 s is more than the 2 s allowed,
    // but no silence reaches 2 s.
    module.setResponder([this](const QByteArray &) {
        module.replyAfter(1500, "12.5\r");
        module.replyAfter(3000, "*0\r");
        return QList<QByteArray>{};
    });
    const qint64 start = clock.nowMs();
    EXPECT_EQ(send("CAL:PRINT 001", true, 2, 1), "12.5\r*0\r");
    EXPECT_GE(clock.nowMs() - start, 3000);
}

TEST_F(EthernetTransportTest, SilenceAfterLastDatagramGivesTimeout)
{
    module.setResponder([this](const QByteArray &) {
        module.replyAfter(500, "12.5\r");
        return QList<QByteArray>{};
    });
    const qint64 start = clock.nowMs();
    EXPECT_EQ(send("CAL:PRINT 001", true, 2, 1), Reply::Timeout);
    EXPECT_EQ(last.outcome, ExchangeOutcome::TimedOut);
    EXPECT_GE(clock.nowMs() - start, 2500);
    EXPECT_LT(clock.nowMs() - start, 2700);
}

TEST_F(EthernetTransportTest, StatusLineEndsOnlyWithStarDigitAndCr)
{
    struct Case
    {
        QList<QByteArray> datagrams;
        QString expected;
        bool waitsForTimeout;
    };
    const Case cases[] = {
        {{"5.000\r", "*0\r"}, "5.000\r*0\r", false},
        {{"5.000\r*7\r"}, "5.000\r*7\r", false},
        // The digit and CR come in the next datagram.
        {{"5.000\r*", "0\r"}, "5.000\r*0\r", false},
        {{"*A\r"}, Reply::Timeout, true},
        {{"*0"}, Reply::Timeout, true},
    };
    for (const Case &c : cases) {
        module.setResponder([&c](const QByteArray &) { return c.datagrams; });
        const qint64 start = clock.nowMs();
        EXPECT_EQ(send("ps", true, 3, 1), c.expected) << c.expected.toStdString();
        const qint64 elapsed = clock.nowMs() - start;
        if (c.waitsForTimeout)
            EXPECT_GE(elapsed, 3000);
        else
            EXPECT_LT(elapsed, 1000) << c.expected.toStdString();
    }
}

TEST_F(EthernetTransportTest, EndConditionTable)
{
    EXPECT_TRUE(EthernetTransport::replyComplete("abc\r", 0));
    EXPECT_FALSE(EthernetTransport::replyComplete("abc", 0));
    EXPECT_TRUE(EthernetTransport::replyComplete("x\r*0\r", 1));
    EXPECT_FALSE(EthernetTransport::replyComplete("x\r", 1));
    EXPECT_FALSE(EthernetTransport::replyComplete("*0", 1));
    EXPECT_FALSE(EthernetTransport::replyComplete("*x\r", 1));
    EXPECT_TRUE(EthernetTransport::replyComplete("a*b\r*5\r", 1));
    // Other end conditions never end early.
    EXPECT_FALSE(EthernetTransport::replyComplete("x\r*0\r", 2));
}

TEST_F(EthernetTransportTest, LateDatagramOfEarlierCommandIsDiscarded)
{
    module.setResponder([this](const QByteArray &datagram) {
        if (datagram == "T\r")
            module.replyAfter(1500, "late answer to T\r*0\r");
        else
            module.replyAfter(100, "*5\r");
        return QList<QByteArray>{};
    });
    EXPECT_EQ(send("T", true, 1, 1), Reply::Timeout);
    clock.pause(1000); // the late answer arrives while nobody waits
    EXPECT_EQ(send("O999", true, 2, 1), "*5\r");
}

TEST_F(EthernetTransportTest, StrangersDatagramIsIgnored)
{
    UdpPeer stranger(QHostAddress(QStringLiteral("127.0.0.3")));
    UdpPeer samePlaceOtherPort(QHostAddress(QStringLiteral("127.0.0.1")));
    ASSERT_TRUE(stranger.isOpen());
    module.setResponder([&](const QByteArray &) {
        // Others answer first; only the module's own answer counts.
        stranger.sendTo(QHostAddress(QStringLiteral("127.0.0.1")), transport.localPort(), "*0\r");
        samePlaceOtherPort.sendTo(QHostAddress(QStringLiteral("127.0.0.1")), transport.localPort(), "*0\r");
        module.replyAfter(200, "*9\r");
        return QList<QByteArray>{};
    });
    EXPECT_EQ(send("SYSTEM:PASSWORD x", true, 2, 1), "*9\r");
}

TEST_F(EthernetTransportTest, ZeroTimeoutGivesTimeoutAtOnce)
{
    module.setResponder([](const QByteArray &) { return QList<QByteArray>{"*0\r"}; });
    EXPECT_EQ(send("T", true, 0, 1), Reply::Timeout);
}

} // namespace

namespace {

// The suite runs with CALSETUP_LOOPBACK_ONLY: even the default broadcast target is refused, so a
// test that forgets to point discovery at loopback sends nothing off this computer.
TEST(EthernetNetworkSafety, TestsReachLoopbackOnly)
{
    ScopedFakeClock fake;
    ASSERT_TRUE(qEnvironmentVariableIsSet("CALSETUP_LOOPBACK_ONLY"));
    // The broadcast target given by hand, and a real network's interface in the list discovery
    // goes through when no target is given.
    for (const bool everyInterface : {false, true}) {
        EthernetModuleLink link;
        if (everyInterface)
            link.setInterfaceProvider([] {
                return QList<BroadcastInterface>{{QStringLiteral("eth0"), QHostAddress(QStringLiteral("192.168.0.10")),
                                                  QHostAddress(QStringLiteral("192.168.0.255"))}};
            });
        else
            link.setTargetOverride(EthernetDiscoveryTarget::parse(QStringLiteral("255.255.255.255:32767")));
        EXPECT_EQ(link.searchesEveryInterface(), everyInterface);
        EXPECT_FALSE(link.FindEthernetModules());
        EXPECT_EQ(fake.clock.nowMs(), 0); // refused, not waited for
        link.selectedModuleMac = QStringLiteral("02-00-00-00-00-01");
        EXPECT_EQ(link.ModuleCommand(QStringLiteral("L")), "");
        EXPECT_FALSE(link.lastCommandAnswered());
        EXPECT_EQ(fake.clock.nowMs(), 0);
    }

    InstrumentContext context;
    EthernetTransport transport(context);
    transport.open(Endpoint::ethernet(QStringLiteral("192.0.2.7"), 10001));
    const ExchangeReply reply = transport.exchange({QStringLiteral("*IDN?"), true, 2, 0});
    EXPECT_EQ(reply.conventionalText(), "");
    EXPECT_EQ(reply.outcome, ExchangeOutcome::NotConnected);
}

} // namespace
