#include "fixtures/FakeClock.h"
#include "fixtures/PtyPeer.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/Reply.h"
#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

QString familyOf(const std::unique_ptr<IDVM> &dvm)
{
    return static_cast<InstrumentDriver *>(dvm.get())->family().className;
}

TEST(CreateDVM, FirstMatchingModelNumberDecides)
{
    InstrumentSession session;
    EXPECT_EQ(familyOf(CreateDVM("5200", session.context())), "DVM_CAL_5200");
    EXPECT_EQ(familyOf(CreateDVM("5600", session.context())), "DVM_CAL_5600");
    EXPECT_EQ(familyOf(CreateDVM("6400", session.context())), "DVM_6481");
    EXPECT_EQ(familyOf(CreateDVM("5600 6400", session.context())), "DVM_6481");
    // A model number of the family is not the family string.
    EXPECT_EQ(familyOf(CreateDVM("5210", session.context())), "DVM_6481");
    EXPECT_EQ(familyOf(CreateDVM("", session.context())), "DVM_6481");
}

TEST(CheckIdentity, NeedsTheMakerAndOneOfTheFamilysModels)
{
    InstrumentSession session;
    InstrumentDriver cal5200(DVM_CAL_5200, session.context());
    InstrumentDriver cal5600(DVM_CAL_5600, session.context());
    InstrumentDriver dmm(DVM_6481, session.context());
    struct Case
    {
        const char *id;
        bool is5200, is5600, is6481;
    };
    const Case cases[] = {
        {"Quorvadine,5241,123,2.1", true, false, false},
        {"Quorvadine,7250,1,1", true, false, false},
        {"Quorvadine,5600,1,1", false, true, false},
        {"Quorvadine,6481,1,1", false, false, true},
        {"Quorvadine 6871", false, false, true},
        {"Other,5241,1,1", false, false, false},
        {"quorvadine,5241", false, false, false}, // the maker's name is matched as written
        {"", false, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(cal5200.CheckIdentity(c.id), c.is5200) << c.id;
        EXPECT_EQ(cal5600.CheckIdentity(c.id), c.is5600) << c.id;
        EXPECT_EQ(dmm.CheckIdentity(c.id), c.is6481) << c.id;
    }
}

TEST(GetDescription, NamesFamilyAndInterface)
{
    InstrumentSession session;
    InstrumentDriver dvm(DVM_CAL_5600, session.context());
    // Not yet pointed anywhere, a driver stands on RS-232 without a port.
    EXPECT_EQ(dvm.GetDescription(), "Quorvadine 5600\r\nRS232 Port 0");
    EXPECT_EQ(dvm.GetInterfaceType(), InterfaceRS232);
    dvm.connect(Endpoint::serialPort(3));
    EXPECT_EQ(dvm.GetDescription(), "Quorvadine 5600\r\nRS232 Port 3");
    dvm.connect(Endpoint::gpib(22));
    EXPECT_EQ(dvm.GetDescription(), "Quorvadine 5600\r\nGPIB Address 22");
    dvm.connect(Endpoint::usb(QStringLiteral("FT1")));
    EXPECT_EQ(dvm.GetDescription(), "Quorvadine 5600\r\nUSB \r\n");
    session.ethernetDevice.IP = "192.0.2.7";
    dvm.connect(ethernetEndpointOf(session.ethernetDevice));
    EXPECT_EQ(dvm.GetDescription(), "Quorvadine 5600\r\nEthernet \r\n192.0.2.7           ");
}

TEST(SetRange, BuildsTheMeasurementCommands)
{
    EXPECT_EQ(InstrumentDriver::rangeCommand("dcv", 10), "CONF:VOLTAGE:DC 10");
    EXPECT_EQ(InstrumentDriver::rangeCommand("dci", 1E-7), "CONF:CURRENT:DC 1.00E-07");
    EXPECT_EQ(InstrumentDriver::rangeCommand("DCI", 1E-6), "CONF:CURRENT:DC 1.00E-06");
    EXPECT_EQ(InstrumentDriver::rangeCommand("DCI", 2E-6), "CONF:CURRENT:DC 0.000002");
    EXPECT_EQ(InstrumentDriver::rangeCommand("ACV", 0.2), "CONF:VOLTAGE:AC 0.2");
    EXPECT_EQ(InstrumentDriver::rangeCommand("ACI", 2), "CONF:CURRENT:AC 2");
    EXPECT_EQ(InstrumentDriver::rangeCommand("RES", 100000), "CONF:RES 100000");
    EXPECT_EQ(InstrumentDriver::rangeCommand("FRES", 10), "CONF:FRES 10");
    EXPECT_EQ(InstrumentDriver::rangeCommand("FREQ", 1000), "CONF:FREQ 1000");
    EXPECT_EQ(InstrumentDriver::rangeCommand("PRT", 500), "R60");
    EXPECT_EQ(InstrumentDriver::rangeCommand("PRT", 4000), "R61");
    EXPECT_EQ(InstrumentDriver::rangeCommand("PRT", 5000), "R62");
    EXPECT_EQ(InstrumentDriver::rangeCommand("Thermocouple", 0), "R64");
    EXPECT_EQ(InstrumentDriver::rangeCommand("OHMS", 1), "");
}

/// A driver on RS-232 talking to a scripted peer on a pseudo-terminal.
class DriverOnSerialTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.isOpen());
        session.context().portTable().bind(2, peer.devicePath());
        session.context().dvm1Comm()->setPortNumber(2);
        dvm = CreateDVM("5200", session.context());
        dvm->connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
    }
    ScopedFakeClock fake;
    PtyPeer peer;
    InstrumentSession session;
    std::unique_ptr<IDVM> dvm;
};

TEST_F(DriverOnSerialTest, IdentifyReturnsTheFirstLineAndAnEchoCountsAsNoAnswer)
{
    peer.setResponder([](const QByteArray &) { return QByteArray("Quorvadine,5241,1,1\r\n"); });
    EXPECT_EQ(dvm->Identify(), "Quorvadine,5241,1,1\r");
    peer.setResponder([](const QByteArray &line) { return line + "\r\n"; });
    EXPECT_EQ(dvm->Identify(), "");
}

TEST_F(DriverOnSerialTest, IdentifyGivesUpAfterTwoSecondsOfSilence)
{
    const qint64 t0 = fake.clock.nowMs();
    EXPECT_EQ(dvm->Identify(), Reply::Timeout);
    EXPECT_LT(fake.clock.nowMs() - t0, 3000);
}

TEST_F(DriverOnSerialTest, LineBreaksInACommandNeverReachTheLine)
{
    dvm->SendString("o10V\r*RST\nX", false, 3, 1);
    EXPECT_TRUE(peer.received().endsWith("o10V*RSTX\r"));
}

TEST_F(DriverOnSerialTest, ReadSendsReadQueryAndReturnsTheRawReading)
{
    peer.setResponder(
        [](const QByteArray &line) { return line == "READ?" ? QByteArray("+1.234500E-03\r\n") : QByteArray(); });
    EXPECT_EQ(dvm->Read(), "+1.234500E-03\r");
}

TEST_F(DriverOnSerialTest, SetRangeSendsWithoutWaitingBetweenTwoSettlingPauses)
{
    const qint64 t0 = fake.clock.nowMs();
    EXPECT_FALSE(dvm->SetRange("DCV", 20).isValid());
    EXPECT_TRUE(peer.received().endsWith("CONF:VOLTAGE:DC 20\r"));
    EXPECT_GE(fake.clock.nowMs() - t0, 200);
    EXPECT_LT(fake.clock.nowMs() - t0, 1000);
}

TEST_F(DriverOnSerialTest, ASecondCommandWhileOneWaitsIsBusy)
{
    QString inner;
    peer.setResponder([this, &inner](const QByteArray &line) {
        if (line == "T")
            systemClock().schedule(100, &peer, [this, &inner] { inner = dvm->SendString("L", true, 5, 1); });
        peer.sendAfter(400, "*0\r\n");
        return QByteArray();
    });
    EXPECT_EQ(dvm->SendString("T", true, 5, 1), "*0\r");
    EXPECT_EQ(inner, Reply::Busy);
}

TEST(DriverRouting, UnknownInterfaceTypeSendsNothingAndAnswersEmpty)
{
    InstrumentSession session;
    auto dvm = CreateDVM("5200", session.context());
    QString error;
    EXPECT_FALSE(dvm->connect({7, QStringLiteral("x"), {}}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(dvm->GetInterfaceType(), 7);
    EXPECT_EQ(dvm->SendString("T", true, 5, 1), "");
    EXPECT_EQ(dvm->Read(), "");
    EXPECT_EQ(dvm->exchange({QStringLiteral("T"), true, 5, 1}).outcome, ExchangeOutcome::NotConnected);
}

} // namespace
