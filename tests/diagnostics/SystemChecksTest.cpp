#include "fixtures/FakeSystem.h"
#include "platform/SerialDeviceAccess.h"

#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const SystemCheck *find(const QList<SystemCheck> &checks, const QString &name)
{
    for (const SystemCheck &check : checks) {
        if (check.name == name)
            return &check;
    }
    return nullptr;
}

struct Case
{
    const char *title;
    std::function<void(FakeSystem &)> build;
    QString check; ///< the name of the check that tells
    bool ok;
    QString detailHas;
    QString fix; ///< the whole fix, or empty for none
};

const QString kMmIgnore = QStringLiteral(R"(ATTRS{idVendor}=="0403", ENV{ID_MM_DEVICE_IGNORE}="1")");
const QString kUaccess =
    QStringLiteral(R"(SUBSYSTEM=="usb", ATTR{idVendor}=="0403", ATTR{idProduct}=="6001", TAG+="uaccess")");

void installModemManager(FakeSystem &s)
{
    s.write(QStringLiteral("/usr/sbin/ModemManager"));
}

const Case kCases[] = {
    {"accessible through the group",
     [](FakeSystem &s) {
         s.device("/dev/ttyUSB0");
         s.joinDeviceGroup();
     },
     "serial /dev/ttyUSB0", true, "rw-rw----", ""},
    {"not in the device's group", [](FakeSystem &s) { s.device("/dev/ttyUSB0"); }, "serial /dev/ttyUSB0", false,
     "you are not in dialout", "sudo usermod -aG dialout $USER, then log out and in again"},
    {"joined the group after logging in",
     [](FakeSystem &s) {
         s.device("/dev/ttyACM0");
         s.write("/etc/group", QByteArray("root:x:0:\ndialout:x:20:someone,tester\n"));
     },
     "serial /dev/ttyACM0", false, "after this login", "log out and in again"},
    {"the group may not write",
     [](FakeSystem &s) {
         s.device("/dev/ttyUSB1", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
         s.joinDeviceGroup();
     },
     "serial /dev/ttyUSB1", false, "may not read and write", ""},
    {"built-in ports said once",
     [](FakeSystem &s) {
         for (int n = 0; n < 12; ++n)
             s.device(QStringLiteral("/dev/ttyS%1").arg(n));
         s.joinDeviceGroup();
     },
     "serial /dev/ttyS* (12 ports)", true, "dialout", ""},
    {"no serial devices", [](FakeSystem &) {}, "serial devices", true, "none present", ""},
    {"stale lock of a process that ended", [](FakeSystem &s) { s.lockFile("ttyUSB0", 31337); },
     "lock /run/lock/LCK..ttyUSB0", false, "process 31337, which has ended", "remove /run/lock/LCK..ttyUSB0"},
    {"lock of a living process",
     [](FakeSystem &s) {
         s.lockFile("ttyUSB0", 812);
         s.process(812, "minicom");
     },
     "lock /run/lock/LCK..ttyUSB0", true, "in use by process 812 (minicom)", ""},
    {"no locks", [](FakeSystem &) {}, "serial locks", true, "none", ""},
    {"ModemManager running without the ignore rule",
     [](FakeSystem &s) {
         installModemManager(s);
         s.process(501, "ModemManager");
     },
     "ModemManager", false, "no udev rule",
     R"(add ATTRS{idVendor}=="0403", ENV{ID_MM_DEVICE_IGNORE}="1" to a file in /etc/udev/rules.d, or sudo apt remove modemmanager)"},
    {"ModemManager told to leave the bridge alone",
     [](FakeSystem &s) {
         installModemManager(s);
         s.process(501, "ModemManager");
         s.write("/etc/udev/rules.d/77-mm-ftdi.rules", kMmIgnore.toUtf8());
     },
     "ModemManager", true, "/etc/udev/rules.d/77-mm-ftdi.rules", ""},
    {"ModemManager installed, not running", installModemManager, "ModemManager", true, "not running", ""},
    {"brltty running",
     [](FakeSystem &s) {
         s.write("/usr/bin/brltty");
         s.process(77, "brltty");
     },
     "brltty", false, "running", "sudo apt remove brltty (unless a braille display is used on this computer)"},
    {"brltty's packaged rule claims the bridge",
     [](FakeSystem &s) {
         s.write("/usr/bin/brltty");
         s.write("/usr/lib/udev/rules.d/85-brltty.rules",
                 R"(ENV{PRODUCT}=="403/6001/*", ENV{BRLTTY_BRAILLE_DRIVER}="sk", GOTO="brltty_usb_run")");
     },
     "brltty", false, "85-brltty.rules", "sudo apt remove brltty (unless a braille display is used on this computer)"},
    {"bridge rule present",
     [](FakeSystem &s) { s.write("/usr/lib/udev/rules.d/70-calsetup.rules", kUaccess.toUtf8()); },
     "udev rule for FTDI bridges", true, "/usr/lib/udev/rules.d/70-calsetup.rules", ""},
    {"bridge rule numbered 80",
     [](FakeSystem &s) { s.write("/etc/udev/rules.d/80-ftdi.rules", "# bridges\n" + kUaccess.toUtf8()); },
     "udev rule for FTDI bridges", false, "after the seat's rules",
     "rename /etc/udev/rules.d/80-ftdi.rules to a number below 73 (e.g. 70-ftdi.rules)"},
    {"a MODE rule works at any number",
     [](FakeSystem &s) { s.write("/etc/udev/rules.d/99-ftdi.rules", R"(ATTRS{idVendor}=="0403", MODE="0666")"); },
     "udev rule for FTDI bridges", true, "99-ftdi.rules", ""},
    {"a rule in /etc hides the packaged one of the same name",
     [](FakeSystem &s) {
         s.write("/usr/lib/udev/rules.d/70-calsetup.rules", kUaccess.toUtf8());
         s.write("/etc/udev/rules.d/70-calsetup.rules", "# switched off here\n");
     },
     "udev rule for FTDI bridges", false, "no rule gives vendor 0403", ""},
    {"GPIB library in the multiarch folder",
     [](FakeSystem &s) {
         s.write("/usr/lib/x86_64-linux-gnu/libni4882.so");
         s.write("/usr/lib/libni4882.so");
     },
     "IEEE-488.2 library", true, "libni4882.so from /usr/lib/x86_64-linux-gnu", ""},
    {"the loader's first name wins",
     [](FakeSystem &s) {
         s.write("/usr/lib/libni4882.so");
         s.write("/usr/lib/libgpib.so.0");
     },
     "IEEE-488.2 library", true, "libgpib.so.0 from /usr/lib", ""},
    {"no GPIB library", [](FakeSystem &) {}, "IEEE-488.2 library", true, "looked for libgpib.so.0, libni4882.so", ""},
    {"GPIB board the user may not open", [](FakeSystem &s) { s.device("/dev/gpib0"); }, "GPIB /dev/gpib0", false,
     "not in dialout", "sudo usermod -aG dialout $USER, then log out and in again"},
    {"broadcast addresses", [](FakeSystem &) {}, "network broadcast", true, "eth0 192.168.1.255", ""},
    {"nothing to broadcast on", [](FakeSystem &s) { s.env.networkPorts.clear(); }, "network broadcast", false,
     "Ethernet discovery finds nothing", "connect this computer to the instrument's network"},
    {"folders made on the first write", [](FakeSystem &) {}, "data folder", true, "made on the first write", ""},
};

class Checks : public testing::TestWithParam<Case>
{
};

TEST_P(Checks, SayWhatIsWrongAndHowToFixIt)
{
    const Case &c = GetParam();
    FakeSystem system;
    c.build(system);
    const QList<SystemCheck> all = system.checks().run();
    const SystemCheck *check = find(all, c.check);
    ASSERT_NE(check, nullptr) << c.title << ": no check named " << c.check.toStdString();
    EXPECT_EQ(check->ok, c.ok) << c.title << ": " << check->detail.toStdString();
    EXPECT_TRUE(check->detail.contains(c.detailHas)) << c.title << ": " << check->detail.toStdString();
    if (!c.fix.isEmpty()) {
        EXPECT_EQ(check->fix, c.fix) << c.title;
    }
    EXPECT_EQ(check->fix.isEmpty(), c.ok) << c.title << ": " << check->fix.toStdString();
}

INSTANTIATE_TEST_SUITE_P(FakeSystems, Checks, testing::ValuesIn(kCases), [](const auto &info) {
    std::string name;
    for (const char ch : std::string(info.param.title))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

TEST(SystemChecks, ByIdNamesSayWhichAdapterADeviceIs)
{
    FakeSystem system;
    system.device("/dev/ttyUSB0");
    system.joinDeviceGroup();
    QDir().mkpath(system.env.system.path("/dev/serial/by-id"));
    ASSERT_TRUE(
        QFile::link("../../ttyUSB0", system.env.system.path("/dev/serial/by-id/usb-FTDI_FT232R_A1B2C3-if00-port0")));
    const SystemCheck *check = find(system.checks().serialDevices(), "serial /dev/ttyUSB0");
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->detail.endsWith("(usb-FTDI_FT232R_A1B2C3-if00-port0)")) << check->detail.toStdString();
}

TEST(SystemChecks, AFolderThatCannotBeWrittenIsAProblem)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    FakeSystem system;
    const QString locked = system.env.system.path("/home/locked");
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    system.env.settingsFolder = "/home/locked/calsetup";
    const SystemCheck *check = find(system.checks().folders(), "settings folder");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->ok);
    EXPECT_EQ(check->detail, "/home/locked/calsetup: /home/locked is not writable");
    EXPECT_EQ(check->fix, "sudo chown -R $USER /home/locked");
}

// The message the port's open failure carries, in each of the causes this computer can show.
TEST(SerialOpenFailure, NamesTheCauseAndTheFix)
{
    const QString refused = QStringLiteral("Permission error while locking the device");
    {
        FakeSystem system;
        system.device("/dev/ttyUSB0");
        EXPECT_EQ(SerialDeviceAccess::explainOpenFailure(system.env.system, "/dev/ttyUSB0", "Permission denied"),
                  "Permission denied on /dev/ttyUSB0: add yourself to the dialout group (sudo usermod -aG dialout "
                  "$USER) and log in again");
    }
    {
        FakeSystem system;
        system.device("/dev/ttyUSB0");
        system.joinDeviceGroup();
        system.lockFile("ttyUSB0", 812);
        system.process(812, "minicom");
        EXPECT_EQ(SerialDeviceAccess::explainOpenFailure(system.env.system, "/dev/ttyUSB0", refused),
                  refused
                      + " on /dev/ttyUSB0: it is in use by process 812 (minicom); close that program and try again");
    }
    {
        FakeSystem system;
        system.device("/dev/ttyUSB0");
        system.joinDeviceGroup();
        system.lockFile("ttyUSB0", 31337);
        EXPECT_EQ(SerialDeviceAccess::explainOpenFailure(system.env.system, "/dev/ttyUSB0", refused),
                  refused
                      + " on /dev/ttyUSB0: /run/lock/LCK..ttyUSB0 is left from a program that has ended; remove "
                        "/run/lock/LCK..ttyUSB0 and try again");
    }
    {
        // Nothing here explains it: the port's own words stay as they were.
        FakeSystem system;
        system.device("/dev/ttyUSB0");
        system.joinDeviceGroup();
        EXPECT_EQ(SerialDeviceAccess::explainOpenFailure(system.env.system, "/dev/ttyUSB0", "Permission denied"),
                  "Permission denied");
    }
}

} // namespace
