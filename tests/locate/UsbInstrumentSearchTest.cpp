#include "locate/UsbInstrumentSearch.h"

#include "fixtures/FakeClock.h"
#include "fixtures/SimUsb.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

class UsbInstrumentSearchTest : public ::testing::Test
{
protected:
    UsbInstrumentSearchTest()
    {
        for (const QString &key : {SettingsKey::Interface, SettingsKey::USBName, SettingsKey::USBSerialNumber})
            Settings::remove(key);
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
        session.usbDevice.Name = QStringLiteral("Previous");
        session.usbDevice.SerialNumber = QStringLiteral("OLD1");
        QObject::connect(&search, &UsbInstrumentSearch::detail, [this](const QString &t) { details << t; });
        QObject::connect(&search, &UsbInstrumentSearch::result, [this](const QString &t) { results << t; });
    }

    VirtualCalibrator &answering(const QByteArray &name, const QByteArray &serial, const QByteArray &identity)
    {
        VirtualCalibrator &instrument = sim.addCalibrator(QStringLiteral("5241"), name, serial);
        const QByteArray line = identity + "\r\n";
        instrument.interpreter().addCommand("*IDN?", [line](const CommandContext &) { return line; });
        return instrument;
    }

    void expectNothingChanged()
    {
        EXPECT_EQ(session.usbDevice.Name, QStringLiteral("Previous"));
        EXPECT_EQ(session.usbDevice.SerialNumber, QStringLiteral("OLD1"));
        EXPECT_FALSE(Settings::contains(SettingsKey::Interface));
        EXPECT_FALSE(Settings::contains(SettingsKey::USBSerialNumber));
        EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceRS232);
    }

    ScopedFakeClock fake;
    SimUsb sim;
    InstrumentSession session;
    UsbInstrumentSearch search{session};
    QStringList details;
    QStringList results;
};

TEST_F(UsbInstrumentSearchTest, AnotherMakersInstrumentIsSkippedAndTheCalibratorBehindTheNextIsUsed)
{
    answering("Other", "S1", "Acme,5241,1,1");
    sim.addSilent("Quiet", "S2");
    sim.addCalibrator(QStringLiteral("5241"), "Quorvadine USB", "S3");
    sim.install(session);

    EXPECT_TRUE(search.search());
    ASSERT_EQ(details.size(), 4) << details.join('|').toStdString();
    EXPECT_EQ(details[0], QStringLiteral("USB Device \"Other\" Found: "));
    EXPECT_EQ(details[1], QStringLiteral("USB Device \"Quiet\" Found: "));
    EXPECT_EQ(details[2], QStringLiteral("USB Device \"Quorvadine USB\" Found: "));
    EXPECT_EQ(details[3], QStringLiteral("Using USB Device Quorvadine USB (S3)"));
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].startsWith(QLatin1String("Using USB Device Quorvadine,5241,")));

    EXPECT_EQ(session.usbDevice.SerialNumber, QStringLiteral("S3"));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("USB"));
    EXPECT_EQ(Settings::value(SettingsKey::USBName), QStringLiteral("Quorvadine USB"));
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB);
    EXPECT_EQ(session.dvm()->endpoint().address, QStringLiteral("S3"));
    EXPECT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify()));
}

TEST_F(UsbInstrumentSearchTest, TheBridgeTheConnectionHoldsOpenIsFoundAgain)
{
    sim.addCalibrator(QStringLiteral("5241"), "Quorvadine USB", "S1");
    sim.install(session);
    session.connect(Endpoint::usb(QStringLiteral("S1")));
    ASSERT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify()));
    ASSERT_EQ(session.context().usb().heldSerialNumber(), QStringLiteral("S1"));

    EXPECT_TRUE(search.search()) << details.join('|').toStdString();
    EXPECT_EQ(details.last(), QStringLiteral("Using USB Device Quorvadine USB (S1)"));
    EXPECT_EQ(sim.bridge->openCount(0), 1) << "the search's probe took the held bridge";
    EXPECT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify()));
}

TEST_F(UsbInstrumentSearchTest, WhenNoneAnswersThePreviousDeviceIsPutBack)
{
    answering("Other", "S1", "Acme,5241,1,1");
    sim.addCalibrator(QStringLiteral("6481"), "Meter", "S2"); // the calibrator driver does not take it
    sim.install(session);

    EXPECT_FALSE(search.search());
    EXPECT_EQ(details.last(), QStringLiteral("No Quorvadine USB DMM Devices Found"));
    EXPECT_TRUE(results.isEmpty());
    expectNothingChanged();
}

TEST_F(UsbInstrumentSearchTest, NoBridgeOrNoUsbAccessIsReportedAndChangesNothing)
{
    sim.install(session);
    const qint64 start = fake.clock.nowMs();
    EXPECT_FALSE(search.search());
    EXPECT_EQ(details, QStringList{QStringLiteral("No USB Devices Found")});
    EXPECT_EQ(fake.clock.nowMs() - start, 4 * 250) << "the listing is tried five times";
    expectNothingChanged();

    details.clear();
    sim.bridge->failListing(UsbBridge::ErrorKind::NoAccess, QStringLiteral("USB access is not permitted"));
    EXPECT_FALSE(search.search());
    EXPECT_EQ(details,
              (QStringList{QStringLiteral("No USB Devices Found"), QStringLiteral("USB access is not permitted")}));
    expectNothingChanged();
}

} // namespace
