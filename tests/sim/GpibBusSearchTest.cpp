#include "instrument/gpib/GpibBusSearch.h"

#include "fixtures/FakeClock.h"
#include "instrument/gpib/GpibLibrary.h"
#include "sim/CommandInterpreter.h"
#include "sim/SimStatus.h"
#include "sim/VirtualCalibrator.h"
#include "sim/gpib/SimGpibBus.h"
#include "sim/gpib/SimGpibDevice.h"

#include <gtest/gtest.h>

namespace {

class GpibBusSearchTest : public ::testing::Test
{
protected:
    ScopedFakeClock fake;
    VirtualCalibrator calibrator{QStringLiteral("5241")};
    VirtualCalibrator meter{QStringLiteral("5600")};
    SimGpibBus bus;
    GpibBusSearch search{bus};
};

TEST_F(GpibBusSearchTest, FindsEveryListenerWithItsIdentity)
{
    bus.attach(calibrator, 4);
    bus.attach(meter, 22);
    QList<int> probed;
    search.onProbe = [&probed](int address) {
        probed << address;
        return true;
    };
    const QList<GpibListener> found = search.search();
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].address, 4);
    EXPECT_TRUE(found[0].identity.startsWith(QLatin1String("Quorvadine,5241,"))) << found[0].identity.toStdString();
    EXPECT_EQ(found[1].address, 22);
    EXPECT_TRUE(found[1].identity.contains(QLatin1String("5600")));
    EXPECT_FALSE(found[1].identity.contains(QLatin1Char('\r')));
    EXPECT_EQ(probed.size(), 30);
    EXPECT_EQ(probed.first(), 1);
    EXPECT_TRUE(search.error().isEmpty());
    EXPECT_EQ(bus.openHandles(), 0);
}

TEST_F(GpibBusSearchTest, ASilentListenerIsListedWithoutIdentityAfterAShortWait)
{
    bus.attach(calibrator, 7);
    calibrator.knobs().silent = true;
    const qint64 start = fake.clock.nowMs();
    const QList<GpibListener> found = search.search();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].address, 7);
    EXPECT_TRUE(found[0].identity.isEmpty());
    EXPECT_LT(fake.clock.nowMs() - start, 5000);
}

TEST_F(GpibBusSearchTest, TheSearchCanBeStopped)
{
    bus.attach(calibrator, 20);
    search.onProbe = [](int address) { return address < 10; };
    EXPECT_TRUE(search.search().isEmpty());
    EXPECT_FALSE(search.busUnusable());
}

TEST_F(GpibBusSearchTest, NoBoardOrNoLibraryIsSaidInPlainWords)
{
    bus.attach(calibrator, 4);
    bus.setBoardFault(SimGpibBus::BoardFault::NoBoard);
    EXPECT_TRUE(search.search().isEmpty());
    EXPECT_TRUE(search.busUnusable());
    EXPECT_EQ(search.error(), QStringLiteral("no GPIB board is present"));
    EXPECT_FALSE(search.changeAddress(4, 5));
    EXPECT_TRUE(search.busUnusable());

    bus.setBoardFault(SimGpibBus::BoardFault::Locked);
    EXPECT_TRUE(search.search().isEmpty());
    EXPECT_TRUE(search.error().contains(QLatin1String("locked")));

    GpibLibrary none({QStringLiteral("/nonexistent/libgpib.so.0")});
    GpibBusSearch withoutLibrary(none);
    EXPECT_TRUE(withoutLibrary.search().isEmpty());
    EXPECT_TRUE(withoutLibrary.busUnusable());
    EXPECT_EQ(withoutLibrary.error(),
              QStringLiteral("no GPIB library or board is present: no IEEE-488.2 library found"));
}

// The driver's own error (EDVR is code 0) is told apart from a missing board, by the search and by
// the address change alike, and says what to do about it.
TEST_F(GpibBusSearchTest, ADriverErrorSaysToLoadTheModuleAndOpenTheDeviceNode)
{
    bus.attach(calibrator, 4);
    bus.setBoardFault(SimGpibBus::BoardFault::DriverError);
    const QString expected = QStringLiteral(
        "the GPIB driver reports an error (EDVR): check that the gpib kernel module is loaded and that you can "
        "open /dev/gpib0 (sudo usermod -aG gpib $USER, or the installed udev rule)");
    EXPECT_TRUE(search.search().isEmpty());
    EXPECT_TRUE(search.busUnusable());
    EXPECT_EQ(search.error(), expected);
    EXPECT_FALSE(search.changeAddress(4, 5));
    EXPECT_TRUE(search.busUnusable());
    EXPECT_EQ(search.error(), expected);
    EXPECT_EQ(bus.openHandles(), 0);
}

TEST_F(GpibBusSearchTest, AnInstrumentMovesToAFreeAddressAndItsAcknowledgementIsCleared)
{
    SimGpibDevice *device = bus.attach(calibrator, 4);
    QList<QByteArray> heard;
    QObject::connect(device, &SimGpibDevice::lineReceived, [&heard](const QByteArray &line) { heard << line; });
    ASSERT_TRUE(search.changeAddress(4, 12)) << search.error().toStdString();
    EXPECT_EQ(heard, QList<QByteArray>{"SYST:COMM:GPIB:ADDR 12"});
    EXPECT_EQ(bus.deviceAt(12), device);
    EXPECT_EQ(bus.deviceAt(4), nullptr);
    EXPECT_FALSE(device->hasOutput());
    EXPECT_TRUE(search.identify(12).startsWith(QLatin1String("Quorvadine,5241,")));
    EXPECT_EQ(bus.openHandles(), 0);
}

TEST_F(GpibBusSearchTest, AMoveThatCannotWorkIsRefusedWithItsReason)
{
    bus.attach(calibrator, 4);
    bus.attach(meter, 9);
    struct Case
    {
        int from;
        int to;
        const char *error;
    };
    const Case cases[] = {
        {4, 9, "GPIB address 9 is taken by another instrument"},
        {5, 6, "no instrument listens at GPIB address 5"},
        {4, 31, "GPIB addresses run from 1 to 30"},
        {0, 6, "GPIB addresses run from 1 to 30"},
        {4, 4, "the instrument is already at GPIB address 4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_FALSE(search.changeAddress(c.from, c.to));
        EXPECT_EQ(search.error(), QLatin1String(c.error));
        EXPECT_FALSE(search.busUnusable());
    }
    EXPECT_NE(bus.deviceAt(4), nullptr);
    EXPECT_NE(bus.deviceAt(9), nullptr);

    // An instrument that refuses the command stays where it is; the wait for it is bounded.
    calibrator.interpreter().addCommand("SYST:COMM:GPIB:ADDR",
                                        [](const CommandContext &) { return statusReply(SimStatus::Rejected); });
    const qint64 start = fake.clock.nowMs();
    EXPECT_FALSE(search.changeAddress(4, 10));
    EXPECT_EQ(search.error(), QStringLiteral("the instrument did not appear at GPIB address 10"));
    EXPECT_GE(fake.clock.nowMs() - start, GpibBusSearch::kMoveWaitMs);
    EXPECT_LT(fake.clock.nowMs() - start, GpibBusSearch::kMoveWaitMs + 1000);
    EXPECT_EQ(bus.openHandles(), 0);
}

} // namespace
