#include "locate/UsbDeviceSelection.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimUsb.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

/// One bridge of a test layout: its description, serial number and the identity of what is behind
/// it ("" for nothing that answers).
struct Bridge
{
    QByteArray name;
    QByteArray serial;
    QByteArray identity;
};

class UsbDeviceSelectionTest : public ::testing::Test
{
protected:
    UsbDeviceSelectionTest()
    {
        for (const QString &key : {SettingsKey::Interface, SettingsKey::USBName, SettingsKey::USBSerialNumber})
            Settings::remove(key);
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
    }

    void attach(const QList<Bridge> &bridges)
    {
        for (const Bridge &b : bridges) {
            if (b.identity.isEmpty()) {
                sim.addSilent(b.name, b.serial);
                continue;
            }
            VirtualCalibrator &instrument = sim.addCalibrator(QStringLiteral("5241"), b.name, b.serial);
            const QByteArray identity = b.identity + "\r\n";
            instrument.interpreter().addCommand("*IDN?", [identity](const CommandContext &) { return identity; });
        }
        sim.install(session);
    }

    const InstrumentDriver &driver() const { return *static_cast<const InstrumentDriver *>(session.dvm()); }
    bool dvmUsesUsb(const QString &serial) const
    {
        return session.dvm()->GetInterfaceType() == InterfaceUSB && driver().endpoint().address == serial;
    }

    ScopedFakeClock fake;
    SimUsb sim;
    InstrumentSession session;
    ScriptedPrompts prompts;
    UsbDeviceSelection selection{session, prompts};
};

TEST_F(UsbDeviceSelectionTest, ListingShowsEachBridgeWithItsAnswerWithoutLineEnds)
{
    attach({{"Quorvadine USB", " QV1 ", "Quorvadine,5241,1,2.0"}, {"Quiet cable", "QV2", ""}, {"Locked", "QV3", ""}});
    sim.bridge->refuseOpen(2, UsbBridge::ErrorKind::NoAccess, QStringLiteral("no permission"));
    selection.listDevices();
    ASSERT_EQ(selection.deviceCount(), 3);
    const QList<UsbDeviceSelection::Row> rows = selection.rows();
    EXPECT_EQ(rows[0].name, QStringLiteral("Quorvadine USB"));
    EXPECT_EQ(rows[0].serialNumber, QStringLiteral("QV1")) << "blanks around the serial number are not shown";
    EXPECT_EQ(rows[0].reply, QStringLiteral("Quorvadine,5241,1,2.0"));
    EXPECT_EQ(rows[1].reply, QStringLiteral("No Reply"));
    EXPECT_EQ(rows[2].reply, QStringLiteral("-"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(UsbDeviceSelectionTest, WithoutDevicesTheListSaysSoAndNothingCanBeSelected)
{
    attach({{"Cable", "QV1", "Quorvadine,6481,1,1"}});
    selection.listDevices();
    selection.selectDevice(0);
    ASSERT_EQ(session.usbDevice.SerialNumber, QStringLiteral("QV1"));

    // The bridge goes away (its listing now fails); the old listing is not offered any more.
    sim.bridge->failListing(UsbBridge::ErrorKind::NoAccess, QStringLiteral("USB access is not permitted"));
    selection.listDevices();
    ASSERT_EQ(selection.rows().size(), 1);
    EXPECT_EQ(selection.rows()[0].name, QStringLiteral("No USB Devices Detected"));
    EXPECT_EQ(selection.accessProblem(), QStringLiteral("USB access is not permitted"));
    session.usbDevice = {};
    prompts.shown.clear();
    EXPECT_FALSE(selection.selectDevice(-1));
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("Error setting USB Device")});
    EXPECT_EQ(session.usbDevice.SerialNumber, QString());
}

TEST_F(UsbDeviceSelectionTest, SelectTakesTheOnlyRowWithoutSelectionOtherwiseTheSelectedOne)
{
    attach({{"Cable", "QV1", "Quorvadine,5241,1,1"}});
    selection.listDevices();
    EXPECT_TRUE(selection.selectDevice(-1));
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("QV1 selected")});
    EXPECT_EQ(prompts.shown.last().title, Settings::applicationTitle());
    EXPECT_EQ(prompts.shown.last().icon, Prompts::Icon::None);
    EXPECT_EQ(session.usbDevice.Name, QStringLiteral("Cable"));
    EXPECT_TRUE(dvmUsesUsb(QStringLiteral("QV1")));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("USB"));
    EXPECT_EQ(Settings::value(SettingsKey::USBSerialNumber), QStringLiteral("QV1"));

    // The instrument object now answers over the chosen bridge.
    EXPECT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify()));

    sim.addSilent("Second", "QV2");
    selection.listDevices();
    prompts.shown.clear();
    EXPECT_FALSE(selection.selectDevice(-1));
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("No Device Selected")});
    EXPECT_TRUE(selection.selectDevice(1));
    EXPECT_EQ(session.usbDevice.SerialNumber, QStringLiteral("QV2"));
    EXPECT_TRUE(dvmUsesUsb(QStringLiteral("QV2")));
}

TEST_F(UsbDeviceSelectionTest, AnActionStartedWhileAnotherRunsDoesNothing)
{
    attach({{"Cable", "QV1", "Quorvadine,6481,1,1"}});
    bool nestedTook = true;
    fake.clock.schedule(100, sim.bridge.get(), [&] { nestedTook = selection.automaticByAdapterId(); });
    EXPECT_TRUE(selection.autolocate());
    EXPECT_FALSE(nestedTook);
    EXPECT_FALSE(selection.isBusy());
    EXPECT_EQ(prompts.shown.size(), 1) << prompts.texts().join('|').toStdString();
    EXPECT_FALSE(sim.bridge->anyOpen());
}

TEST_F(UsbDeviceSelectionTest, AutolocatePicksTheMeterByItsAnswerWhereverItIsListed)
{
    struct Case
    {
        const char *name;
        QList<Bridge> bridges;
        QString chosen; // "" when none is acceptable
    };
    const QList<Case> cases = {
        {"meter second", {{"A", "S1", "Quorvadine,5241,1,1"}, {"B", "S2", "Quorvadine,6481,2,1"}}, "S2"},
        {"meter first", {{"A", "S1", "Quorvadine,6481,2,1"}, {"B", "S2", "Quorvadine,5241,1,1"}}, "S1"},
        {"maker in capitals", {{"A", "S1", ""}, {"B", "S2", "QUORVADINE 6481"}}, "S2"},
        {"6471 of any maker", {{"A", "S1", "Quorvadine,5600,1,1"}, {"B", "S2", "Acme,6471,9,9"}}, "S2"},
        {"6481 of another maker", {{"A", "S1", "Acme,6481,1,1"}}, ""},
        {"no meter", {{"A", "S1", "Quorvadine,5241,1,1"}}, ""},
    };
    for (const Case &c : cases) {
        sim.bridge = std::make_shared<SimUsbBridge>(); // each case on bridges of its own
        attach(c.bridges);
        prompts.shown.clear();
        session.usbDevice = {};
        session.connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));

        const bool found = selection.autolocate();
        ASSERT_FALSE(prompts.shown.isEmpty()) << c.name;
        EXPECT_EQ(prompts.shown.last().title, QStringLiteral("USB Autolocation")) << c.name;
        if (c.chosen.isEmpty()) {
            EXPECT_FALSE(found) << c.name;
            EXPECT_EQ(prompts.shown.last().text, QStringLiteral("No device detected")) << c.name;
            EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceRS232) << c.name;
            continue;
        }
        EXPECT_TRUE(found) << c.name;
        EXPECT_EQ(session.usbDevice.SerialNumber, c.chosen) << c.name;
        EXPECT_TRUE(prompts.shown.last().text.endsWith(QStringLiteral(" selected\r\n(") + c.chosen + ')'))
            << c.name << ": " << prompts.shown.last().text.toStdString();
        EXPECT_TRUE(dvmUsesUsb(c.chosen)) << c.name;
        EXPECT_EQ(Settings::value(SettingsKey::USBSerialNumber), c.chosen) << c.name;
    }
}

TEST_F(UsbDeviceSelectionTest, AdapterIdPicksTheMakersOrA232AdapterByItsDescription)
{
    struct Case
    {
        const char *name;
        QList<QByteArray> names;
        int chosen; // -1: none matches
    };
    const QList<Case> cases = {
        {"232 in a lower-case name", {"Generic Serial", "usb-232 cable"}, 1},
        {"maker in any case", {"Generic Serial", "quorvadine Interface"}, 1},
        {"first match wins", {"RS232 A", "RS232 B"}, 0},
        {"no adapter of ours", {"Generic Serial", "Other"}, -1},
    };
    for (const Case &c : cases) {
        sim.bridge = std::make_shared<SimUsbBridge>();
        QList<Bridge> bridges;
        for (int i = 0; i < c.names.size(); ++i)
            bridges.append({c.names[i], "SN" + QByteArray::number(i), ""});
        attach(bridges);
        prompts.shown.clear();
        session.connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
        Settings::remove(SettingsKey::Interface);

        EXPECT_EQ(selection.automaticByAdapterId(), c.chosen >= 0) << c.name;
        const int stored = qMax(0, c.chosen);
        const QString serial = QStringLiteral("SN%1").arg(stored);
        EXPECT_EQ(session.usbDevice.SerialNumber, serial) << c.name;
        EXPECT_EQ(Settings::value(SettingsKey::USBSerialNumber), serial) << c.name;
        EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("USB")) << c.name;
        ASSERT_EQ(prompts.shown.size(), 1) << c.name;
        if (c.chosen >= 0) {
            EXPECT_EQ(prompts.shown[0].text,
                      QStringLiteral("Using %1 (%2)").arg(QString::fromLatin1(c.names[stored]), serial))
                << c.name;
            EXPECT_TRUE(dvmUsesUsb(serial)) << c.name;
        } else {
            EXPECT_EQ(prompts.shown[0].text,
                      QStringLiteral("No Quorvadine USB Devices Found\rUsing ") + QString::fromLatin1(c.names[0]));
            EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceRS232) << "the instrument object is not switched";
        }
        EXPECT_EQ(selection.rows().size(), c.names.size()) << c.name;
    }

    sim.bridge = std::make_shared<SimUsbBridge>();
    sim.install(session);
    prompts.shown.clear();
    EXPECT_FALSE(selection.automaticByAdapterId());
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("No USB Devices Found")});
}

TEST_F(UsbDeviceSelectionTest, TheTestBoxGathersUpToTheStatusLineOnlyForPa)
{
    VirtualCalibrator &instrument = sim.addCalibrator(QStringLiteral("5241"), "Cable", "QV1");
    sim.install(session);
    const QByteArray listing = "line1\r\nline2\r\n*0\r\n";
    for (const QByteArray &word : {QByteArray("pa"), QByteArray("pb"), QByteArray("a")})
        instrument.interpreter().addCommand(word, [listing](const CommandContext &) { return listing; });
    instrument.knobs().splitPieces = 3; // "line1\r", "\nline2", "\r\n*0\r\n"
    instrument.knobs().splitGapMs = 100;
    session.usbDevice.SerialNumber = QStringLiteral("QV1");

    EXPECT_EQ(selection.sendTestCommand(QStringLiteral("pa")), QString::fromLatin1(listing));
    EXPECT_EQ(selection.sendTestCommand(QStringLiteral("pb")), QStringLiteral("line1\r"));
    fake.clock.advance(1000); // the rest of that answer comes while the bridge is closed, and is lost
    EXPECT_EQ(selection.testDate(), QString::fromLatin1(listing));
    instrument.knobs() = FaultKnobs();
    EXPECT_TRUE(selection.testIdentify().startsWith(QLatin1String("Quorvadine,5241,")));
    EXPECT_EQ(sim.bridge->heardLines(0).first(), "pa");

    instrument.knobs().silent = true;
    EXPECT_EQ(selection.sendTestCommand(QStringLiteral("T")), QStringLiteral("Read Timeout\r"));
    EXPECT_EQ(selection.testIdentify(), QString()) << "the ID? button adds no status text";
    sim.bridge->refuseOpen(0, UsbBridge::ErrorKind::NoAccess, QStringLiteral("not permitted"));
    EXPECT_EQ(selection.sendTestCommand(QStringLiteral("T")), QStringLiteral("Error Opening Device\rnot permitted\r"));
    session.usbDevice.SerialNumber.clear();
    EXPECT_EQ(selection.sendTestCommand(QStringLiteral("T")), QStringLiteral("No Device Selected\r"));
}

} // namespace
