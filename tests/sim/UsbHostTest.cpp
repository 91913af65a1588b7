#include "fixtures/FakeClock.h"
#include "fixtures/LastExchange.h"
#include "fixtures/SimUsb.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/Reply.h"
#include "instrument/usb/UsbIdentificationPass.h"
#include "instrument/usb/UsbTransport.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

// The program's USB transport and drivers against virtual calibrators behind simulated bridges.
class UsbHostTest : public ::testing::Test
{
protected:
    UsbHostTest()
    {
        calibrator = &sim.addCalibrator(QStringLiteral("5241"), "Quorvadine USB-232", "QV1");
        sim.install(session);
        session.usbDevice.SerialNumber = QStringLiteral("QV1");
    }

    /// The driver of a family, pointed at the chosen bridge over USB.
    IDVM &useDriver(const QString &family, const QString &serialNumber = QStringLiteral("QV1"))
    {
        session.setDvm(CreateDVM(family, session.context()));
        session.usbDevice.SerialNumber = serialNumber;
        session.dvm()->connect(Endpoint::usb(session.usbDevice.SerialNumber, session.usbDevice.Name));
        return *session.dvm();
    }

    /// One exchange through a USB transport of its own, as the USB window's test box makes them:
    /// the answer as gathered, also after a time-out.
    QString exchange(const QString &command, int timeout, int end, ExchangeOutcome *status = nullptr)
    {
        UsbTransport transport(session.context());
        transport.open(Endpoint::usb(session.usbDevice.SerialNumber));
        const ExchangeReply reply = transport.exchange({command, true, timeout, end});
        if (status)
            *status = reply.outcome;
        return reply.outcome == ExchangeOutcome::Answered || reply.outcome == ExchangeOutcome::TimedOut
            ? reply.text
            : reply.conventionalText();
    }

    qint64 now() const { return fake.clock.nowMs(); }

    ScopedFakeClock fake;
    SimUsb sim;
    VirtualCalibrator *calibrator = nullptr;
    InstrumentSession session;
    LastExchange last{session.context()};
};

TEST_F(UsbHostTest, AnAnswerInPiecesWithGapsIsGatheredWholeAndTheTimeOutCountsFromTheLastPiece)
{
    const QByteArray whole = calibrator->handleLine("CAL:PRINT 001");
    calibrator->knobs().splitPieces = 4;
    calibrator->knobs().splitGapMs = 1500; // each gap shorter than the 2 s allowed, together 4.5 s
    const qint64 start = now();
    ExchangeOutcome status = ExchangeOutcome::NotConnected;
    EXPECT_EQ(exchange(QStringLiteral("CAL:PRINT 001"), 2, 1, &status), QString::fromLatin1(whole));
    EXPECT_EQ(status, ExchangeOutcome::Answered);
    EXPECT_GE(now() - start, 4500);
    EXPECT_LT(now() - start, 4500 + 2000) << "ends with the status line, not at a time-out";

    // A gap longer than the time allowed ends the exchange with what came so far.
    calibrator->knobs().splitPieces = 2;
    calibrator->knobs().splitGapMs = 2500;
    const qint64 second = now();
    const QString partial = exchange(QStringLiteral("CAL:PRINT 001"), 2, 1, &status);
    EXPECT_EQ(status, ExchangeOutcome::TimedOut);
    EXPECT_EQ(partial, QString::fromLatin1(whole.left((whole.size() + 1) / 2)));
    EXPECT_GE(now() - second, 2000);
    EXPECT_LT(now() - second, 2500);
}

TEST_F(UsbHostTest, StatusLineEndsTheReplyOnlyAsStarDigitCarriageReturn)
{
    struct Case
    {
        const char *name;
        QList<QByteArray> pieces; // sent 100 ms apart
        bool ends;
        qint64 endsAtMs; // after the first piece
    };
    const QList<Case> cases = {
        {"status line at once", {"*0\r\n"}, true, 0},
        {"CR in a later piece", {"*7", "\r\n"}, true, 100},
        {"data lines first", {"1.0\r\n2.0\r\n", "*0\r"}, true, 100},
        {"star and a letter", {"*A\r\n", "*0\r\n"}, false, 0},
        {"star, digit, no CR", {"*0 \r\n"}, false, 0},
    };
    const int silent = sim.addSilent("Bridge", "S1");
    session.usbDevice.SerialNumber = QStringLiteral("S1");
    for (const Case &c : cases) {
        const qint64 start = now();
        for (int i = 0; i < c.pieces.size(); ++i) {
            const QByteArray piece = c.pieces[i];
            fake.clock.schedule(10 + 100 * i, sim.bridge.get(),
                                [this, silent, piece] { sim.bridge->deviceSends(silent, piece); });
        }
        ExchangeOutcome status = ExchangeOutcome::NotConnected;
        const QString reply = exchange(QStringLiteral("X"), 1, 1, &status);
        EXPECT_EQ(reply, QString::fromLatin1(c.pieces.join())) << c.name;
        if (c.ends) {
            EXPECT_EQ(status, ExchangeOutcome::Answered) << c.name;
            EXPECT_LE(now() - start, 10 + c.endsAtMs + 60) << c.name;
        } else {
            EXPECT_EQ(status, ExchangeOutcome::TimedOut) << c.name;
            EXPECT_GE(now() - start, 1000) << c.name;
        }
        fake.clock.advance(1000); // nothing of this case is left on the way
    }
}

TEST_F(UsbHostTest, FirstLineEndsAtAPieceEndingInLineFeedEvenWhenMoreFollows)
{
    const int silent = sim.addSilent("Bridge", "S1");
    session.usbDevice.SerialNumber = QStringLiteral("S1");
    fake.clock.schedule(100, sim.bridge.get(), [&] { sim.bridge->deviceSends(silent, "abc"); });
    fake.clock.schedule(200, sim.bridge.get(), [&] { sim.bridge->deviceSends(silent, "def\n"); });
    fake.clock.schedule(300, sim.bridge.get(), [&] { sim.bridge->deviceSends(silent, "more\r"); });
    const qint64 start = now();
    ExchangeOutcome status = ExchangeOutcome::NotConnected;
    EXPECT_EQ(exchange(QStringLiteral("X"), 2, 0, &status), QStringLiteral("abcdef\n"));
    EXPECT_EQ(status, ExchangeOutcome::Answered);
    EXPECT_LT(now() - start, 300);

    // A piece whose CR is not its last byte does not end it.
    fake.clock.advance(1000);
    fake.clock.schedule(100, sim.bridge.get(), [&] { sim.bridge->deviceSends(silent, "a\rb"); });
    EXPECT_EQ(exchange(QStringLiteral("X"), 1, 0, &status), QStringLiteral("a\rb"));
    EXPECT_EQ(status, ExchangeOutcome::TimedOut);
}

TEST_F(UsbHostTest, TheDriverTalksToTheCalibratorWithTheLineSettingsOfTheBridge)
{
    IDVM &dvm = useDriver(QStringLiteral("5200"));
    const QString id = dvm.Identify();
    EXPECT_TRUE(dvm.CheckIdentity(id)) << id.toStdString();
    EXPECT_TRUE(Reply::isSuccess(dvm.SendString(QStringLiteral("SYSTEM:PASSWORD 5820316"), true, 5, 1)));
    EXPECT_TRUE(calibrator->memory().systemUnlocked());
    EXPECT_EQ(sim.bridge->heardLines(0).last(), "SYSTEM:PASSWORD 5820316");
    EXPECT_EQ(sim.bridge->openCount(0), 1) << "the bridge stays open from one exchange to the next";
    EXPECT_FALSE(session.context().usb().exchangeRunning());

    const UsbBridge::LineSettings line = sim.bridge->lastLineSettings();
    EXPECT_EQ(line.baudRate, 9600);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_EQ(line.stopBits, 1);
    EXPECT_EQ(line.parity, 'N');
    EXPECT_FALSE(line.flowControl);
    EXPECT_EQ(line.readTimeoutMs, 5000);
}

TEST_F(UsbHostTest, WithoutWaitingTheDriverStillListensOneSecondForTheAnswerLine)
{
    IDVM &dvm = useDriver(QStringLiteral("5200"));
    EXPECT_EQ(dvm.SendString(QStringLiteral("*IDN?"), false), QString());
    calibrator->knobs().silent = true;
    const qint64 start = now();
    EXPECT_EQ(dvm.SendString(QStringLiteral("*IDN?"), false), Reply::Timeout);
    EXPECT_GE(now() - start, 1000);
}

TEST_F(UsbHostTest, ASecondCommandOnTheDriverWhileOneWaitsIsRefusedAtOnce)
{
    IDVM &dvm = useDriver(QStringLiteral("5200"));
    calibrator->knobs().replyDelayMs = 1000;
    QString nested;
    qint64 nestedTookMs = -1;
    fake.clock.schedule(300, sim.bridge.get(), [&] {
        const qint64 start = now();
        nested = dvm.SendString(QStringLiteral("T"), true, 5, 1);
        nestedTookMs = now() - start;
    });
    const QString first = dvm.SendString(QStringLiteral("*IDN?"), true, 5, 0);
    EXPECT_TRUE(dvm.CheckIdentity(first)) << first.toStdString();
    EXPECT_EQ(nested, Reply::Busy);
    EXPECT_EQ(nestedTookMs, 0);
    EXPECT_EQ(sim.bridge->heardLines(0), QList<QByteArray>{"*IDN?"}) << "the refused command was not sent";

    // The transport itself refuses a second exchange too (the location window's test box).
    fake.clock.schedule(300, sim.bridge.get(), [&] { nested = exchange(QStringLiteral("T"), 5, 1); });
    dvm.SendString(QStringLiteral("*IDN?"), true, 5, 0);
    EXPECT_EQ(nested, Reply::Busy);
}

TEST_F(UsbHostTest, ABridgeThatWillNotOpenIsATimeOutForACalibratorAndNothingForTheMeter)
{
    sim.bridge->refuseOpen(0, UsbBridge::ErrorKind::NoAccess, QStringLiteral("no permission"));
    for (const auto &[family, expected] :
         {std::pair{QStringLiteral("5200"), Reply::Timeout}, std::pair{QStringLiteral("5600"), Reply::Timeout},
          std::pair{QStringLiteral("6400"), QString()}}) {
        IDVM &dvm = useDriver(family);
        session.context().state().abortComms = false;
        const qint64 start = now();
        EXPECT_EQ(dvm.SendString(QStringLiteral("*IDN?"), true, 2, 0), expected) << family.toStdString();
        EXPECT_EQ(now() - start, 0) << "nothing is awaited from a bridge that did not open";
        EXPECT_TRUE(session.context().state().abortComms) << "a serial wait gives up too";
        EXPECT_EQ(last.outcome(), ExchangeOutcome::OpenFailed);
        EXPECT_EQ(last.reply.detail, QStringLiteral("no permission"));
    }
    // The same for a bridge that is not attached at all.
    IDVM &meter = useDriver(QStringLiteral("6400"), QStringLiteral("GONE"));
    EXPECT_EQ(meter.SendString(QStringLiteral("READ?"), true, 2, 0), QString());
    IDVM &cal = useDriver(QStringLiteral("5200"), QStringLiteral("GONE"));
    EXPECT_EQ(cal.SendString(QStringLiteral("READ?"), true, 2, 0), Reply::Timeout);
    EXPECT_EQ(sim.bridge->openCount(0), 0);
}

TEST_F(UsbHostTest, WithoutASerialNumberNothingIsSent)
{
    session.usbDevice.SerialNumber.clear();
    ExchangeOutcome status = ExchangeOutcome::Answered;
    EXPECT_EQ(exchange(QStringLiteral("*IDN?"), 2, 0, &status), QString());
    EXPECT_EQ(status, ExchangeOutcome::NotConnected);
    EXPECT_EQ(sim.bridge->openCount(0), 0);
    int handle = 5;
    EXPECT_FALSE(session.context().usb().OpenUSBDevice(QString(), handle));
}

TEST_F(UsbHostTest, DeviceNamesAreFixedFieldsCutAtTheFirstNul)
{
    const QByteArray full(256, 'N');
    sim.bridge->addDevice(QByteArray("Port A\0garbage", 14), QByteArray("SN2\0\0\0", 6), nullptr);
    sim.bridge->addDevice(full + "overflow", "SN3", nullptr);
    UsbBridgeAccess &usb = session.context().usb();
    ASSERT_EQ(usb.ListUSBDevices(), 3);
    EXPECT_EQ(usb.devices[0].Name, QStringLiteral("Quorvadine USB-232"));
    EXPECT_EQ(usb.devices[1].Name, QStringLiteral("Port A"));
    EXPECT_EQ(usb.devices[1].SerialNumber, QStringLiteral("SN2"));
    EXPECT_EQ(usb.devices[2].Name, QString::fromLatin1(full)) << "a field without NUL is kept whole";

    // A listing that fails leaves the previous list in place.
    sim.bridge->failListing(UsbBridge::ErrorKind::Failed, QStringLiteral("bus error"));
    EXPECT_EQ(usb.ListUSBDevices(), 0);
    EXPECT_EQ(usb.devices.size(), 3);
    EXPECT_EQ(usb.listingError(), QStringLiteral("bus error"));
    EXPECT_FALSE(usb.noUsbAccess());
}

TEST_F(UsbHostTest, ReadingOneAnswerLineByteByByte)
{
    const int silent = sim.addSilent("Bridge", "S1");
    UsbBridgeAccess &usb = session.context().usb();
    int handle = 0;
    ASSERT_TRUE(usb.OpenUSBDevice(QStringLiteral("S1"), handle));
    fake.clock.schedule(1000, sim.bridge.get(), [&] { sim.bridge->deviceSends(silent, "12/03/2026\r\nnext"); });
    EXPECT_EQ(usb.USBReadReply(handle), QStringLiteral("12/03/2026\r"));
    EXPECT_EQ(usb.USBReadReply(handle), QStringLiteral("\n"));
    const qint64 start = now();
    EXPECT_EQ(usb.USBReadReply(handle), QString()) << "a line that never ends is no answer";
    EXPECT_GE(now() - start, 5000);
    sim.bridge->deviceSends(silent, QByteArray(150, 'x'));
    EXPECT_EQ(usb.USBReadReply(handle).size(), 101);
    usb.closeDevice(handle);
    EXPECT_FALSE(sim.bridge->anyOpen());
}

TEST_F(UsbHostTest, TheIdentificationPassAsksAllDevicesAtOnceAndWaitsOnce)
{
    calibrator->knobs().replyDelayMs = 400;
    VirtualCalibrator &meter = sim.addCalibrator(QStringLiteral("6481"), "Meter", "QV2");
    meter.knobs().replyDelayMs = 400;
    sim.addSilent("Quiet", "QV3");
    sim.addSilent("Locked", "QV4");
    sim.bridge->refuseOpen(3, UsbBridge::ErrorKind::NoAccess, QStringLiteral("no permission"));
    UsbBridgeAccess &usb = session.context().usb();
    ASSERT_EQ(usb.ListUSBDevices(), 4);
    const qint64 start = now();
    const QStringList column = UsbIdentificationPass::run(usb, 4, true);
    EXPECT_LT(now() - start, 600) << "the devices answer in parallel within one pause";
    ASSERT_EQ(column.size(), 4);
    EXPECT_TRUE(column[0].startsWith(QLatin1String("Quorvadine,5241,"))) << column[0].toStdString();
    EXPECT_FALSE(column[0].contains(QLatin1Char('\r')) || column[0].contains(QLatin1Char('\n')));
    EXPECT_TRUE(column[1].startsWith(QLatin1String("Quorvadine,6481,")));
    EXPECT_EQ(column[2], QStringLiteral("No Reply"));
    EXPECT_EQ(column[3], QStringLiteral("-"));
    EXPECT_EQ(usb.devices[1].Reply, column[1]);
    EXPECT_EQ(usb.devices[2].Reply, QString());
    EXPECT_EQ(usb.devices[3].Handle, -1);
    EXPECT_FALSE(sim.bridge->anyOpen());

    // Events run during the pause; a second pass started by one leaves no bridge open behind.
    QStringList nested;
    fake.clock.schedule(100, sim.bridge.get(), [&] { nested = UsbIdentificationPass::run(usb, 4, true); });
    const QStringList outer = UsbIdentificationPass::run(usb, 4, true);
    EXPECT_EQ(nested.value(0), QStringLiteral("-")) << "the bridge was busy with the first pass";
    EXPECT_TRUE(outer.value(0).startsWith(QLatin1String("Quorvadine,5241,")));
    EXPECT_FALSE(sim.bridge->anyOpen());

    // Without removing line ends the answer keeps them.
    UsbIdentificationPass::run(usb, 1, false);
    EXPECT_TRUE(usb.devices[0].Reply.endsWith(QLatin1String("\r\n")));
}

} // namespace
