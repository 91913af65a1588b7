#include "fixtures/FakeClock.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/ethernet/EthernetInterface.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

class EthernetFrontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        target = sim.front.discoveryPort();
    }

    /// Sends one module command to the discovery target and returns what came back.
    QList<QByteArray> command(const QByteArray &datagram)
    {
        host.received.clear();
        host.sendTo(QHostAddress(QHostAddress::LocalHost), target, datagram);
        clock.pause(100);
        return host.received;
    }

    ScopedFakeClock fake;
    FakeClock &clock = fake.clock;
    SimEthernet sim{2};
    UdpPeer host;
    quint16 target = 0;
};

TEST_F(EthernetFrontTest, EveryModuleAnswersDiscoveryFromItsOwnAddress)
{
    const QList<QByteArray> replies = command("X");
    ASSERT_EQ(replies.size(), 2);
    EXPECT_EQ(replies.at(0),
              "A02-00-00-00-00-01/" + QByteArray::number(sim.module(0).dataPort()) + "/V10M0/0/Quorvadi/6481 DMM");
    EXPECT_TRUE(replies.at(1).startsWith("A02-00-00-00-00-02/"));
    EXPECT_EQ(sim.module(0).address().toString(), "127.0.0.2");
    EXPECT_EQ(sim.module(1).address().toString(), "127.0.0.3");
}

TEST_F(EthernetFrontTest, OnlyTheChosenModuleAnswersAndOnlyAfterLogin)
{
    EXPECT_TRUE(command("W02-00-00-00-00-99").isEmpty());
    EXPECT_TRUE(command("L").isEmpty()); // nobody was chosen
    EXPECT_EQ(command("W02-00-00-00-00-02"), QList<QByteArray>{"A"});
    EXPECT_EQ(command("SBR3"), QList<QByteArray>{"N"});
    EXPECT_EQ(command("L"), QList<QByteArray>{"A"});
    EXPECT_EQ(command("SBR3"), QList<QByteArray>{"A"});
    EXPECT_EQ(sim.module(1).serialSetting("SBR"), "3");
    EXPECT_EQ(command("SONA much longer owner"), QList<QByteArray>{"A"});
    EXPECT_EQ(sim.module(1).behaviour().owner, "A much l");
    EXPECT_EQ(command("SIPnot.an.address"), QList<QByteArray>{"N"});
    EXPECT_EQ(command("GIP"), QList<QByteArray>{"A127.0.0.3"});
    // The other module heard every datagram too, and stepped back.
    EXPECT_EQ(sim.module(0).heard.size(), 9);
    EXPECT_EQ(sim.module(0).serialSetting("SBR"), "");
    EXPECT_EQ(sim.module(0).behaviour().owner, "Quorvadi");
}

TEST_F(EthernetFrontTest, NewAddressAndDhcpTakeEffectAtTheReboot)
{
    command("W02-00-00-00-00-01");
    command("L");
    EXPECT_EQ(command("SIP127.0.0.9"), QList<QByteArray>{"A"});
    EXPECT_EQ(command("GIP"), QList<QByteArray>{"A127.0.0.2"});
    EXPECT_EQ(command("E"), QList<QByteArray>{"A"});
    EXPECT_TRUE(sim.module(0).rebooting());
    EXPECT_EQ(command("X").size(), 1); // the rebooting module is deaf
    clock.pause(sim.module(0).behaviour().rebootMs);
    ASSERT_FALSE(sim.module(0).rebooting());
    EXPECT_EQ(sim.module(0).address().toString(), "127.0.0.9");

    // Its discovery reply now comes from the new address, and it must be chosen and logged in again.
    EXPECT_EQ(command("W02-00-00-00-00-01"), QList<QByteArray>{"A"});
    EXPECT_EQ(command("SDH1"), QList<QByteArray>{"N"});
    command("L");
    EXPECT_EQ(command("SDH1"), QList<QByteArray>{"A"});
    EXPECT_TRUE(command("X").at(0).contains("/V10M0/"));
    command("E");
    clock.pause(sim.module(0).behaviour().rebootMs);
    EXPECT_TRUE(sim.module(0).dhcp());
    EXPECT_TRUE(command("X").at(0).contains("/V10I0/"));
}

TEST_F(EthernetFrontTest, DataDatagramsReachTheCalibratorAndRepliesKeepTheKnobs)
{
    InstrumentSession session;
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    session.ethernetDevice.IP = sim.module(1).address().toString();
    session.ethernetDevice.Port = sim.module(1).dataPort();
    IDVM &dvm = *session.dvm();
    dvm.connect(ethernetEndpointOf(session.ethernetDevice));

    sim.knobs().splitPieces = 3;
    sim.knobs().splitGapMs = 300;
    const QString id = dvm.Identify();
    EXPECT_TRUE(dvm.CheckIdentity(id)) << id.toStdString();
    EXPECT_TRUE(id.startsWith(QLatin1String("Quorvadine,5241,"))) << id.toStdString();
    EXPECT_EQ(sim.module(1).dataHeard, QList<QByteArray>{"*IDN?"});
    EXPECT_TRUE(sim.module(0).dataHeard.isEmpty());

    sim.knobs().silent = true;
    EXPECT_EQ(dvm.SendString(QStringLiteral("T"), true, 1, 1), "TIMEOUT");
}

} // namespace
