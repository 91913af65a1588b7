#include "locate/InterfaceOptions.h"

#include "fixtures/FakeClock.h"
#include "fixtures/PortBindings.h"
#include "fixtures/PtyPeer.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

QString familyOf(const IDVM *dvm)
{
    const auto *driver = dynamic_cast<const InstrumentDriver *>(dvm);
    return driver ? driver->family().className : QString();
}

class InterfaceOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(one.isOpen() && three.isOpen());
        bindOnly(session.context().portTable(), {{1, one.devicePath()}, {3, three.devicePath()}});
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    }

    InterfaceOptions::Choice serial(int port, const QString &model = QStringLiteral("5200"))
    {
        InterfaceOptions::Choice c;
        c.interfaceType = InterfaceRS232;
        c.serialPort = port;
        c.modelString = model;
        return c;
    }

    ScopedFakeClock fake;
    ScopedLocateSettings settings{QStringLiteral("options")};
    PtyPeer one;
    PtyPeer three;
    InstrumentSession session;
    InterfaceOptions options{session};
};

TEST_F(InterfaceOptionsTest, OffersThePortsThatOpenIncludingTheInstrumentsOwnOpenPort)
{
    EXPECT_EQ(options.openPorts(), QList<int>({1, 3}));

    SerialPortControl *comm = session.context().dvm1Comm();
    comm->setPortNumber(3);
    ASSERT_TRUE(comm->open());
    EXPECT_EQ(options.openPorts(), QList<int>({1, 3}));
    EXPECT_TRUE(comm->isOpen()) << "listing must not take the instrument's port away";
}

TEST_F(InterfaceOptionsTest, SerialChoiceIsStoredAndAppliedToTheSameDriver)
{
    IDVM *before = session.dvm();
    ASSERT_EQ(options.apply(serial(3), {1, 3}), InterfaceOptions::Outcome::Applied);

    EXPECT_EQ(session.dvm(), before) << "a driver of the same family is set up in place";
    EXPECT_EQ(session.dvm()->GetDescription(), "Quorvadine 5200\r\nRS232 Port 3");
    EXPECT_EQ(session.context().dvm1Comm()->portNumber(), 3);
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "RS232");
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "3");
    EXPECT_EQ(Settings::value(SettingsKey::DVM1), "5200");
    EXPECT_EQ(Settings::value(SettingsKey::serialPortDevice(3), QString()), three.devicePath());
}

TEST_F(InterfaceOptionsTest, AnotherModelMakesItsOwnDriver)
{
    ASSERT_EQ(options.apply(serial(1, QStringLiteral("5600")), {1, 3}), InterfaceOptions::Outcome::Applied);
    EXPECT_EQ(familyOf(session.dvm()), "DVM_CAL_5600");
    EXPECT_EQ(session.dvm()->GetDescription(), "Quorvadine 5600\r\nRS232 Port 1");
    EXPECT_EQ(Settings::value(SettingsKey::DVM1), "5600");
}

TEST_F(InterfaceOptionsTest, APortThatDidNotOpenIsRefusedAndNothingChanges)
{
    for (int port : {0, 2, 17}) {
        EXPECT_EQ(options.apply(serial(port), {1, 3}), InterfaceOptions::Outcome::InvalidSerialPort) << port;
    }
    EXPECT_FALSE(Settings::contains(SettingsKey::CommPort));
    EXPECT_FALSE(Settings::contains(SettingsKey::Interface));
    EXPECT_EQ(session.context().dvm1Comm()->portNumber(), 1);
    EXPECT_EQ(InterfaceOptions::message(InterfaceOptions::Outcome::InvalidSerialPort), "DVM1: Invalid Serial Port");
}

struct GpibCase
{
    const char *typed;
    int address; ///< 0: refused
};

class GpibAddresses : public InterfaceOptionsTest, public ::testing::WithParamInterface<GpibCase>
{
};

TEST_P(GpibAddresses, OnlyWholeNumbersFromOneToThirtyAreTaken)
{
    const GpibCase &c = GetParam();
    InterfaceOptions::Choice choice;
    choice.interfaceType = InterfaceGPIB;
    choice.gpibAddress = QString::fromLatin1(c.typed);
    choice.modelString = QStringLiteral("5200");
    const InterfaceOptions::Outcome outcome = options.apply(choice, {});
    if (c.address == 0) {
        EXPECT_EQ(outcome, InterfaceOptions::Outcome::InvalidGpibAddress);
        EXPECT_EQ(InterfaceOptions::message(outcome), "DVM1: Invalid GPIB Address");
        EXPECT_FALSE(Settings::contains(SettingsKey::GPIBPort));
        EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceRS232);
        return;
    }
    EXPECT_EQ(outcome, InterfaceOptions::Outcome::Applied);
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceGPIB);
    EXPECT_EQ(session.dvm()->GetDescription(), QStringLiteral("Quorvadine 5200\r\nGPIB Address %1").arg(c.address));
    EXPECT_EQ(Settings::value(SettingsKey::GPIBPort), QString::number(c.address));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "GPIB");
    // The serial port setting is not the GPIB choice's to change.
    EXPECT_FALSE(Settings::contains(SettingsKey::CommPort));
}

INSTANTIATE_TEST_SUITE_P(Typed, GpibAddresses,
                         ::testing::Values(GpibCase{"1", 1}, GpibCase{"30", 30}, GpibCase{" 7 ", 7}, GpibCase{"0", 0},
                                           GpibCase{"31", 0}, GpibCase{"-4", 0}, GpibCase{"", 0}, GpibCase{"12a", 0},
                                           GpibCase{"2.5", 0}));

TEST(InterfaceOptionsModels, TheEntryShownIsTheDriverCreateDvmMakes)
{
    InstrumentSession session;
    for (const char *stored : {"5200", "5600", "6400", "5210", "6481", "", "Quorvadine 5600"}) {
        const QString model = QString::fromLatin1(stored);
        const QString chosen = InterfaceOptions::models().at(InterfaceOptions::modelIndexFor(model)).modelString;
        EXPECT_EQ(familyOf(CreateDVM(chosen, session.context()).get()),
                  familyOf(CreateDVM(model, session.context()).get()))
            << stored;
    }
}

TEST_F(InterfaceOptionsTest, StoredChoiceReadsTheSettings)
{
    Settings::setValue(SettingsKey::Interface, "gpib");
    Settings::setValue(SettingsKey::GPIBPort, "12");
    Settings::setValue(SettingsKey::CommPort, "4");
    Settings::setValue(SettingsKey::DVM1, "5210");
    const InterfaceOptions::Choice c = options.stored();
    EXPECT_EQ(c.interfaceType, InterfaceGPIB);
    EXPECT_EQ(c.gpibAddress, "12");
    EXPECT_EQ(c.serialPort, 4);
    EXPECT_EQ(c.modelString, "6400");

    // USB and Ethernet are chosen in their own windows; here they show as RS-232.
    Settings::setValue(SettingsKey::Interface, "USB");
    EXPECT_EQ(options.stored().interfaceType, InterfaceRS232);
}

} // namespace
