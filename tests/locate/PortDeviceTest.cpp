#include "locate/PortDevice.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

TEST(PortDevice, SummaryNamesTheKernelDeviceAndWhatTheAdapterIs)
{
    struct Case
    {
        const char *why;
        PortDevice device;
        QString summary;
    };
    const QList<Case> cases = {
        {"a built-in port has nothing but its name", {"/dev/ttyS0", "/dev/ttyS0"}, "/dev/ttyS0"},
        {"an adapter with maker, description and serial number",
         {"/dev/serial/by-id/usb-Q_X-if00", "/dev/ttyUSB1", "USB UART", "Qorvex", "A10K3X"},
         "/dev/ttyUSB1 - Qorvex USB UART - serial number A10K3X"},
        {"a maker the description names already is said once",
         {"/dev/serial/by-id/usb-Q", "/dev/ttyACM0", "Qorvex Serial", "Qorvex", ""},
         "/dev/ttyACM0 - Qorvex Serial"},
        {"a serial number without description",
         {"/dev/serial/by-id/usb-Z", "/dev/ttyUSB4", "", "", "Z9"},
         "/dev/ttyUSB4 - serial number Z9"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.device.summary(), c.summary) << c.why;
}

TEST(PortDevice, DetailsGiveTheStableNameAndTheKernelNameItReachesNow)
{
    const PortDevice linked{"/dev/serial/by-id/usb-Q", "/dev/ttyUSB1", "USB UART", "Qorvex", "A1", 0x0403, 0x6001};
    EXPECT_EQ(linked.details(),
              "/dev/serial/by-id/usb-Q\nNow /dev/ttyUSB1\nUSB 0403:6001\nSerial number A1\nQorvex USB UART");
    const PortDevice plain{"/dev/ttyS0", "/dev/ttyS0"};
    EXPECT_EQ(plain.details(), "/dev/ttyS0") << "a device with one name says it once";
}

TEST(PortDevice, ADeviceTheListingDoesNotKnowHasOnlyItsNames)
{
    const PortDevice tty = PortDevice::describe(QStringLiteral("/nonexistent/calsetup-test/ttyUSB0"));
    EXPECT_EQ(tty.kernelName, "/nonexistent/calsetup-test/ttyUSB0");
    EXPECT_TRUE(tty.description.isEmpty() && tty.serialNumber.isEmpty());
}

} // namespace
