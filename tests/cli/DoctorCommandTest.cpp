#include "CliHarness.h"
#include "fixtures/FakeSystem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

/// Runs the tool's doctor over a fake computer instead of this one.
class DoctorCommand : public ::testing::Test
{
protected:
    CliResult doctor(const QStringList &options = {})
    {
        SystemChecks::Environment::overrideCurrent(system.env);
        CliResult result = runTool(QStringList{QStringLiteral("doctor")} + options);
        SystemChecks::Environment::overrideCurrent(std::nullopt);
        return result;
    }

    /// A computer with nothing in the way: the adapter in the user's group, the bridge's rule.
    void healthy()
    {
        system.device(QStringLiteral("/dev/ttyUSB0"));
        system.joinDeviceGroup();
        system.write(QStringLiteral("/etc/udev/rules.d/70-calsetup.rules"),
                     R"(SUBSYSTEM=="usb", ATTR{idVendor}=="0403", TAG+="uaccess")");
    }

    FakeSystem system;
};

TEST_F(DoctorCommand, AllInOrderExitsZeroWithOneLinePerCheck)
{
    healthy();
    const CliResult result = doctor();
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
    const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), system.checks().run().size());
    for (const QString &line : lines)
        EXPECT_TRUE(line.startsWith(QStringLiteral("ok  "))) << line.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("ok  udev rule for FTDI bridges: /etc/udev/rules.d/70-calsetup.rules")));
}

TEST_F(DoctorCommand, AProblemExitsThreeWithItsFixIndentedUnderIt)
{
    healthy();
    system.lockFile(QStringLiteral("ttyUSB0"), 31337);
    const CliResult result = doctor();
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.out.contains(QStringLiteral("problem  lock /run/lock/LCK..ttyUSB0: left by process 31337, which "
                                                   "has ended\n    fix: remove /run/lock/LCK..ttyUSB0\n")))
        << result.out.toStdString();
    EXPECT_EQ(result.out.count(QStringLiteral("fix:")), 1);
}

TEST_F(DoctorCommand, JsonListsEveryCheckWithItsFields)
{
    system.device(QStringLiteral("/dev/ttyUSB0"));
    const CliResult result = doctor({QStringLiteral("--json")});
    EXPECT_EQ(result.exitCode, 3);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    const QJsonArray checks = doc.object().value(QStringLiteral("checks")).toArray();
    ASSERT_EQ(checks.size(), system.checks().run().size());
    const QJsonObject serial = checks.at(0).toObject();
    EXPECT_EQ(serial.value(QStringLiteral("name")).toString(), QStringLiteral("serial /dev/ttyUSB0"));
    EXPECT_FALSE(serial.value(QStringLiteral("ok")).toBool(true));
    EXPECT_EQ(serial.value(QStringLiteral("fix")).toString(),
              QStringLiteral("sudo usermod -aG dialout $USER, then log out and in again"));
    for (const QJsonValue &check : checks) {
        const QJsonObject o = check.toObject();
        EXPECT_TRUE(o.value(QStringLiteral("ok")).isBool());
        for (const char *key : {"name", "detail", "fix"})
            EXPECT_TRUE(o.value(QLatin1String(key)).isString()) << key;
    }
}

} // namespace
