#include "instrument/usb/UsbTransport.h"

#include "fixtures/FakeClock.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/Reply.h"
#include "instrument/usb/SystemUsbBridge.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

/// A bridge library that fails where the test says: listings, writes, or reads.
class FaultyBridge : public UsbBridge
{
public:
    QString backendName() const override { return QStringLiteral("faulty"); }
    bool listDevices(QList<DeviceStrings> &devices) override
    {
        ++listings;
        devices = listed;
        if (listingFailure == ErrorKind::None)
            return true;
        kind = listingFailure;
        return false;
    }
    int open(const QString &, const LineSettings &) override { return ++opens; }
    bool write(int, const QByteArray &) override
    {
        pending += answer;
        return writable;
    }
    int bytesWaiting(int) override
    {
        if (readFails)
            return -1;
        return int(pending.size());
    }
    QByteArray read(int, int maxBytes) override
    {
        const QByteArray taken = pending.left(maxBytes);
        pending.remove(0, taken.size());
        // An instrument that never stops talking.
        if (endless)
            pending = QByteArray(64 * 1024, 'x');
        return taken;
    }
    // The scripted chip holds nothing beyond what reading takes.
    bool discardReceived(int) override { return !readFails; }
    void close(int) override { ++closes; }
    QString lastError() const override { return QStringLiteral("scripted failure"); }
    ErrorKind lastErrorKind() const override { return kind; }

    QList<DeviceStrings> listed;
    ErrorKind listingFailure = ErrorKind::None;
    ErrorKind kind = ErrorKind::None;
    bool writable = true;
    bool readFails = false;
    bool endless = false;
    QByteArray pending;
    /// What the instrument sends once a command has gone out.
    QByteArray answer;
    int listings = 0;
    int opens = 0;
    int closes = 0;
};

class UsbTransportTest : public ::testing::Test
{
protected:
    UsbTransportTest()
    {
        session.context().usb().setBridge(bridge);
        transport.open(Endpoint::usb(QStringLiteral("FT1")));
    }

    ExchangeReply exchange(const QString &command, int timeout, int end)
    {
        return transport.exchange({command, true, timeout, end});
    }

    ScopedFakeClock fake;
    std::shared_ptr<FaultyBridge> bridge = std::make_shared<FaultyBridge>();
    InstrumentSession session;
    UsbTransport transport{session.context()};
};

TEST_F(UsbTransportTest, LibraryFailuresEndTheExchangeAsNoAnswerWithoutWaitingItOut)
{
    struct Case
    {
        const char *name;
        bool writable;
        bool readFails;
    };
    for (const Case &c : {Case{"write fails", false, false}, Case{"reading fails", true, true}}) {
        bridge->writable = c.writable;
        bridge->readFails = c.readFails;
        const qint64 start = fake.clock.nowMs();
        const ExchangeReply reply = exchange(QStringLiteral("*IDN?"), 10, 0);
        EXPECT_LT(fake.clock.nowMs() - start, 100) << c.name;
        EXPECT_EQ(reply.outcome, ExchangeOutcome::LinkFailed) << c.name;
        EXPECT_EQ(bridge->closes, bridge->opens) << c.name;
    }
    session.setDvm(CreateDVM(QStringLiteral("6400"), session.context()));
    session.dvm()->connect(Endpoint::usb(QStringLiteral("FT1")));
    EXPECT_EQ(session.dvm()->SendString(QStringLiteral("READ?"), true, 20, 0), Reply::Timeout)
        << "a failure while waiting is a time-out even for the meter";
}

TEST_F(UsbTransportTest, ALateAnswerLeftInTheBridgeIsNotTakenForTheNextCommandsAnswer)
{
    // An earlier exchange gave up; its "*0" arrived afterwards and waits in the chip.
    bridge->pending = "*0\r";
    bridge->answer = "*9\r";
    const ExchangeReply reply = exchange(QStringLiteral("CAL:PASSWORD 1234"), 5, 1);
    EXPECT_EQ(reply.text, QStringLiteral("*9\r"));
    EXPECT_EQ(reply.outcome, ExchangeOutcome::Answered);
}

TEST_F(UsbTransportTest, NoTimeAllowedMeansNoAnswerIsTaken)
{
    bridge->pending = "*0\r";
    const ExchangeReply reply = exchange(QStringLiteral("X"), 0, 1);
    EXPECT_EQ(reply.text, QString());
    EXPECT_EQ(reply.outcome, ExchangeOutcome::TimedOut);
}

TEST_F(UsbTransportTest, AnAnswerThatNeverEndsIsCutOff)
{
    bridge->pending = "x";
    bridge->endless = true;
    const ExchangeReply reply = exchange(QStringLiteral("X"), 5, 1);
    EXPECT_EQ(reply.conventionalText(), Reply::Overflow);
    EXPECT_EQ(reply.outcome, ExchangeOutcome::Overflow);
    EXPECT_EQ(bridge->closes, 1);
}

TEST_F(UsbTransportTest, CountingRetriesWhenNothingIsListedButNotWhenUsbIsOutOfReach)
{
    UsbBridgeAccess &usb = session.context().usb();
    qint64 start = fake.clock.nowMs();
    EXPECT_EQ(usb.countDevices(), 0);
    EXPECT_EQ(bridge->listings, 5);
    EXPECT_EQ(fake.clock.nowMs() - start, 4 * 250);
    EXPECT_FALSE(usb.noUsbAccess());
    EXPECT_EQ(usb.listingError(), QString());

    for (UsbBridge::ErrorKind kind : {UsbBridge::ErrorKind::NoAccess, UsbBridge::ErrorKind::Unavailable}) {
        bridge->listings = 0;
        bridge->listingFailure = kind;
        start = fake.clock.nowMs();
        EXPECT_EQ(usb.countDevices(), 0);
        EXPECT_EQ(bridge->listings, 1);
        EXPECT_EQ(fake.clock.nowMs(), start);
        EXPECT_TRUE(usb.noUsbAccess());
        EXPECT_EQ(usb.listingError(), QStringLiteral("scripted failure"));
    }

    bridge->listingFailure = UsbBridge::ErrorKind::None;
    bridge->listings = 0;
    bridge->listed = {{"A", "1"}};
    start = fake.clock.nowMs();
    EXPECT_EQ(usb.countDevices(), 1);
    EXPECT_EQ(bridge->listings, 1);
    EXPECT_EQ(fake.clock.nowMs(), start);
}

// The real library on this computer, whatever is attached: answers promptly, never crashes.
TEST(SystemUsbBridge, ListsAndRefusesAnUnknownSerialNumberCleanly)
{
    std::unique_ptr<UsbBridge> bridge = createSystemUsbBridge();
    QList<UsbBridge::DeviceStrings> devices;
    if (!bridge->listDevices(devices)) {
        EXPECT_FALSE(bridge->lastError().isEmpty());
    }
    EXPECT_EQ(bridge->open(QStringLiteral("no-such-bridge-7f3a"), UsbBridge::LineSettings()), 0);
    EXPECT_NE(bridge->lastErrorKind(), UsbBridge::ErrorKind::None);
    EXPECT_FALSE(bridge->lastError().isEmpty());
    EXPECT_EQ(bridge->bytesWaiting(1), -1);
}

} // namespace
