#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

/// The tool against simulated Ethernet modules on loopback, on virtual time. The discovery
/// target is given with --discovery, as a user of calsim --ethernet would.
class CliEthernet : public ::testing::Test
{
protected:
    void start(int modules)
    {
        sim = std::make_unique<SimEthernet>(modules);
        ASSERT_TRUE(sim->isOpen());
        // The option, not the setting, tells the tool where to look: the setting names a decoy
        // on loopback that must hear nothing.
        Settings::setValue(SettingsKey::EthernetDiscovery, QStringLiteral("127.0.0.1:%1").arg(decoy.port()));
    }
    void TearDown() override { EXPECT_TRUE(decoy.received.isEmpty()); }
    CliResult run(QStringList arguments)
    {
        arguments << QStringLiteral("--discovery") << sim->discoveryTarget();
        return runTool(arguments);
    }
    QString mac(int index) const { return sim->module(index).behaviour().mac; }

    ScopedFakeClock fake;
    ScopedSettingsStore store{QStringLiteral("ethernet")};
    UdpPeer decoy;
    std::unique_ptr<SimEthernet> sim;
};

TEST_F(CliEthernet, FindPrintsTheModuleTableAndChoosesNothing)
{
    start(2);
    const CliResult result = run({"ethernet", "find"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("IP         MAC                Port"));
    const QRegularExpression row(
        QStringLiteral("^127\\.0\\.0\\.2 +02-00-00-00-00-01 +%1 +Off +Quorvadi +6481 DMM +Quorvadine,5241,")
            .arg(sim->module(0).dataPort()));
    EXPECT_TRUE(row.match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("127.0.0.3"));
    EXPECT_FALSE(Settings::contains(SettingsKey::EthernetIP));
}

TEST_F(CliEthernet, SelectSavesTheModuleAndLaterCommandsGoThroughIt)
{
    start(2);
    const CliResult result = run({"ethernet", "select", mac(1).toLower()});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(
        result.out.endsWith(QStringLiteral("selected %1 at 127.0.0.3:%2\n").arg(mac(1)).arg(sim->module(1).dataPort())))
        << result.out.toStdString();
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "Ethernet");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP), "127.0.0.3           ");

    sim->module(1).dataHeard.clear();
    const CliResult identify = runTool({"identify"});
    EXPECT_EQ(identify.exitCode, 0) << identify.err.toStdString();
    EXPECT_EQ(sim->module(1).dataHeard, QList<QByteArray>{"*IDN?"});

    const CliResult unknown = run({"ethernet", "select", "02-00-00-00-00-77"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_TRUE(unknown.err.contains("no module with MAC 02-00-00-00-00-77 answered"));
}

TEST_F(CliEthernet, EthernetConnectionOptionReachesTheInstrument)
{
    start(1);
    const QString where = QStringLiteral("127.0.0.2:%1").arg(sim->module().dataPort());
    const CliResult info = runTool({"--ethernet", where, "info"});
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.startsWith("Version :Version ")) << info.out.toStdString();

    sim->knobs().silent = true;
    const CliResult silent = runTool({"--ethernet", where, "identify"});
    EXPECT_EQ(silent.exitCode, 2);
    EXPECT_TRUE(silent.err.contains("Ethernet module " + where)) << silent.err.toStdString();
}

TEST_F(CliEthernet, InitRunsTheSequenceThenFindsTheModuleAgain)
{
    start(1);
    sim->module().behaviour().owner = QStringLiteral("Blank");
    const CliResult result = run({"ethernet", "init", mac(0)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.err, "Meter-Side Serial Port Setup OK\n");
    EXPECT_TRUE(result.out.contains("Quorvadi  6481 DMM")) << result.out.toStdString();
    // The sequence went to the named module without a discovery before it.
    EXPECT_EQ(sim->module().heard.mid(0, 2), (QList<QByteArray>{"W" + mac(0).toLatin1(), "L"}));
}

TEST_F(CliEthernet, SequenceFailuresGiveTheirMessageAndExitStatus)
{
    start(1);
    sim->module().behaviour().refused.insert("SFC0");
    CliResult result = run({"ethernet", "init", mac(0)});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.startsWith("calsetup-cli: Set Flow Control Failed\n")) << result.err.toStdString();

    sim->module().behaviour().loginReply = "A+";
    result = run({"ethernet", "set-ip", mac(0), "127.0.0.9"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.startsWith("calsetup-cli: Login Failed\n")) << result.err.toStdString();
    result = run({"ethernet", "reboot", mac(0)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(sim->module().rebooting());

    // Nobody answers a MAC that is not there.
    result = run({"ethernet", "dhcp", "02-00-00-00-00-55", "on"});
    EXPECT_EQ(result.exitCode, 2);
}

TEST_F(CliEthernet, SetIpAndDhcpRebootAndListTheModuleAsItComesBack)
{
    start(1);
    CliResult result = run({"ethernet", "set-ip", mac(0), "127.0.0.21"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("\n127.0.0.21 ")) << result.out.toStdString();
    result = run({"ethernet", "dhcp", mac(0), "ON"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.err, "DHCP Configuration Set\nDevice Rebooting\n");
    EXPECT_TRUE(result.out.contains(" OK ")) << result.out.toStdString();
}

TEST_F(CliEthernet, UsageErrors)
{
    start(1);
    struct Case
    {
        QStringList arguments;
        const char *message;
    };
    const Case cases[] = {
        {{"ethernet", "find", "--discovery", "broadcast"}, "--discovery needs ADDRESS[:PORT]"},
        {{"ethernet", "set-ip", "02-00-00-00-00-01", "300.1.1.1"}, "is not an IPv4 address"},
        {{"ethernet", "dhcp", "02-00-00-00-00-01", "maybe"}, "takes on or off"},
        {{"ethernet", "reboot", "a b"}, "is not a MAC address"},
        // The target is taken before the MAC, and the MAC before the command's own value.
        {{"ethernet", "init", "a b", "--discovery", "broadcast"}, "--discovery needs ADDRESS[:PORT]"},
        {{"ethernet", "set-ip", "a b", "300.1.1.1"}, "\"a b\" is not a MAC address"},
        // select names the MAC it looks for as it looks for it, trimmed; the others as given.
        {{"ethernet", "select", " a b "}, "\"a b\" is not a MAC address"},
        {{"ethernet", "dhcp", " a b ", "on"}, "\" a b \" is not a MAC address"},
        {{"ethernet", "set-ip", "02-00-00-00-00-01"}, "ethernet set-ip needs MAC ADDRESS"},
    };
    for (const Case &c : cases) {
        const CliResult result = runTool(c.arguments);
        EXPECT_EQ(result.exitCode, 1) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    }
    EXPECT_TRUE(sim->module().heard.isEmpty());
}

TEST_F(CliEthernet, NoModuleAnsweringIsNotFound)
{
    start(1);
    UdpPeer nobody;
    const CliResult result =
        runTool({"ethernet", "find", "--discovery", QStringLiteral("127.0.0.1:%1").arg(nobody.port())});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.startsWith("No Devices Found\n")) << result.err.toStdString();
}

#ifdef CALSIM_EXECUTABLE
// The built programs, started as a user would, on real time: calsim --ethernet, then the tool
// finds its module and talks to the instrument behind it.
TEST(CalsimEthernet, FindThenInfoThroughTheModule)
{
    QProcess calsim;
    calsim.start(QStringLiteral(CALSIM_EXECUTABLE), {QStringLiteral("--ethernet")});
    ASSERT_TRUE(calsim.waitForStarted(10000));
    QString printed;
    while (printed.count(QLatin1Char('\n')) < 2 && calsim.waitForReadyRead(10000))
        printed += QString::fromLatin1(calsim.readAllStandardOutput());
    const QRegularExpressionMatch discovery =
        QRegularExpression(QStringLiteral("^discovery (127\\.0\\.0\\.1:\\d+)$"), QRegularExpression::MultilineOption)
            .match(printed);
    const QRegularExpressionMatch module =
        QRegularExpression(QStringLiteral("^module (127\\.0\\.0\\.2:\\d+) MAC (\\S+)$"),
                           QRegularExpression::MultilineOption)
            .match(printed);
    ASSERT_TRUE(discovery.hasMatch() && module.hasMatch()) << printed.toStdString();

    auto tool = [](const QStringList &arguments) {
        QProcess process;
        process.start(QStringLiteral(CALSETUP_CLI_EXECUTABLE), arguments);
        process.waitForFinished(30000);
        return std::make_pair(process.exitCode(), QString::fromLatin1(process.readAllStandardOutput()));
    };
    const auto [findStatus, table] = tool({"ethernet", "find", "--discovery", discovery.captured(1)});
    EXPECT_EQ(findStatus, 0);
    EXPECT_TRUE(table.contains(module.captured(1).section(':', 0, 0) + "  " + module.captured(2)))
        << table.toStdString();
    const auto [infoStatus, info] = tool({"--ethernet", module.captured(1), "info"});
    EXPECT_EQ(infoStatus, 0);
    EXPECT_TRUE(info.contains("Model :")) << info.toStdString();

    calsim.terminate();
    EXPECT_TRUE(calsim.waitForFinished(10000));
}
#endif

} // namespace

namespace {

// A simulated run finds the built-in calibrator's own module on loopback, never the network.
TEST(CliEthernetSimulated, FindsTheBuiltInCalibratorsModule)
{
    ScopedFakeClock fake;
    ScopedSettingsStore store(QStringLiteral("ethernet simulated"));
    const CliResult result = runTool({"--simulate", "ethernet", "find"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(
        QRegularExpression(QStringLiteral("\\n127\\.0\\.0\\.2 +02-00-00-00-00-01 .*Quorvadine,5241,"))))
        << result.out.toStdString();
}

} // namespace
