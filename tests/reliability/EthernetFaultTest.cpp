// Hostile and broken peers on the network: a stranger flooding the data port, discovery replies
// that are malformed, oversized or too many.

#include "SerialFaultFixture.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/ethernet/EthernetTransport.h"

#include <QElapsedTimer>

namespace {

using Outcome = CalFactorOperations::Outcome;

class EthernetFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen());
        fake.clock.pauseSettleMs = 1;
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        EthernetModuleRecord &module = session.ethernetDevice;
        module.IP =
            EthernetModuleRecord::fixedLength(sim.module().address().toString(), EthernetModuleRecord::kIpLength);
        module.Port = sim.module().dataPort();
        module.MAC = EthernetModuleRecord::fixedLength(sim.module().behaviour().mac, EthernetModuleRecord::kMacLength);
        session.dvm()->connect(ethernetEndpointOf(session.ethernetDevice));
    }

    ScopedFakeClock fake;
    SimEthernet sim;
    InstrumentSession session;
    CalFactorTable table;
    ScriptedPrompts prompts;
};

TEST_F(EthernetFaultTest, AStrangerFloodsTheDataPortDuringALoad)
{
    describeCase("while all 149 ranges are read over Ethernet, another host (and another port on the module's own "
                 "address) floods the program's data port with forged status lines, factor lines and 8 KiB junk",
                 "every datagram not from the module's address and port is dropped: the load completes with the "
                 "instrument's own factors, in bounded time");
    UdpPeer stranger(QHostAddress(QStringLiteral("127.0.0.9")));
    UdpPeer neighbour(sim.module().address());
    ASSERT_TRUE(stranger.isOpen() && neighbour.isOpen());
    const QList<QByteArray> forged = {"*0\r", "99999\r*0\r", QByteArray(8 * 1024, '\xff'), "*7\r", QByteArray(1, '\0')};
    int sent = 0;
    // The data socket of the driver's own transport.
    auto *transport = dynamic_cast<EthernetTransport *>(dynamic_cast<InstrumentDriver &>(*session.dvm()).transport());
    ASSERT_NE(transport, nullptr);
    session.context().state().activityHook = [&](const QString &) {
        const quint16 port = transport->localPort();
        for (int i = 0; i < 8 && port != 0; ++i, ++sent) {
            UdpPeer &from = i % 2 ? neighbour : stranger;
            from.sendTo(QHostAddress(QHostAddress::LocalHost), port, forged.at(sent % forged.size()));
        }
    };
    QElapsedTimer real;
    real.start();
    EXPECT_EQ(CalFactorOperations(table, *session.dvm(), prompts).loadFromCalibrator(), Outcome::Done);
    EXPECT_LT(real.elapsed(), 60000);
    EXPECT_GT(sent, 1000);
    for (int range = 1; range <= 149; ++range) {
        const QList<qint32> factors = sim.calibrator.memory().factors(range);
        for (int column = 1; column < table.columnCount(); ++column) {
            const QString expected = column <= factors.size() ? QString::number(factors[column - 1]) : QString();
            ASSERT_EQ(table.text(range, column), expected) << range << "," << column;
        }
    }
}

TEST_F(EthernetFaultTest, MalformedOversizedAndTooManyDiscoveryReplies)
{
    describeCase("discovery is answered by a hostile host: replies without \"A\", without \"/\", of 60 KiB, of "
                 "binary bytes, with a port of 20 digits, and 2,000 of them in all",
                 "discovery ends in bounded time; at most 256 modules are listed, each with fields of their fixed "
                 "lengths and the sender's own address; the one well-formed module is among them");
    UdpPeer hostile(QHostAddress(QStringLiteral("127.0.0.9")));
    ASSERT_TRUE(hostile.isOpen());
    QByteArray binary(512, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 37);
    binary[0] = 'A';
    const QList<QByteArray> odd = {
        "A00-11-22-33-44-55/4001/00M00/x/OWNER/DEVICE", // the good one, first
        "B not a module",
        "A",
        "A/",
        "A" + QByteArray(60 * 1024, 'M'),
        "A00-AA/" + QByteArray(60 * 1024, '9') + "/",
        "A00-BB/123456789012345678901/00I/x/" + QByteArray(300, 'o') + "/" + QByteArray(300, 'd'),
        binary,
    };
    hostile.setResponder([&](const QByteArray &datagram) {
        QList<QByteArray> replies;
        if (datagram == "X") {
            for (int i = 0; i < 2000; ++i)
                replies << odd.at(i % odd.size());
        }
        return replies;
    });
    EthernetModuleLink &link = session.context().ethernetModules();
    link.setTargetOverride(EthernetDiscoveryTarget{hostile.address(), hostile.port()});
    QElapsedTimer real;
    real.start();
    const qint64 start = fake.clock.nowMs();
    EXPECT_TRUE(link.FindEthernetModules());
    EXPECT_LT(real.elapsed(), 30000);
    EXPECT_LT(fake.clock.nowMs() - start, 60000);
    ASSERT_FALSE(link.modules.isEmpty());
    EXPECT_LE(link.modules.size(), EthernetModuleLink::kMaxModules);
    bool goodOne = false;
    for (const EthernetModuleRecord &m : link.modules) {
        EXPECT_EQ(m.ipText(), "127.0.0.9");
        EXPECT_LE(m.EchoReply.size(), EthernetModuleRecord::kReplyLength);
        EXPECT_LE(m.MAC.size(), EthernetModuleRecord::kMacLength);
        EXPECT_LE(m.OwnerName.size(), EthernetModuleRecord::kNameLength);
        EXPECT_LE(m.DeviceName.size(), EthernetModuleRecord::kNameLength);
        goodOne = goodOne || (m.macText() == "00-11-22-33-44-55" && m.Port == 4001 && m.OwnerName == "OWNER   ");
    }
    EXPECT_TRUE(goodOne);

    // The program still talks to its own instrument afterwards.
    EXPECT_TRUE(Reply::isSuccess(session.dvm()->SendString(QStringLiteral("CAL:PASSWORD 0"), true, 5, 1)));
}

} // namespace
