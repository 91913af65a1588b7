#include "locate/EthernetLocator.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/serial/SerialPortControl.h"
#include "locate/EthernetInstrumentSearch.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

/// Connection settings as a previous session left them, removed again afterwards.
class SavedModule
{
public:
    SavedModule()
    {
        InstrumentSession session;
        session.saveConnection(
            Endpoint::ethernet(QStringLiteral("10.9.8.7"), 4001, QStringLiteral("00-11-22-33-44-55")));
        Settings::setValue(SettingsKey::Interface, QStringLiteral("RS232"));
    }
    ~SavedModule()
    {
        for (const QString &key :
             {SettingsKey::Interface, SettingsKey::EthernetIP, SettingsKey::EthernetPort, SettingsKey::EthernetMAC})
            Settings::remove(key);
    }
};

class EthernetLocatorTest : public ::testing::Test
{
protected:
    void start(int modules)
    {
        sim = std::make_unique<SimEthernet>(modules);
        ASSERT_TRUE(sim->isOpen());
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
        locator.loadActiveModule();
    }
    InstrumentDriver &driver() { return *static_cast<InstrumentDriver *>(session.dvm()); }

    ScopedFakeClock fake;
    SavedModule saved;
    std::unique_ptr<SimEthernet> sim;
    InstrumentSession session;
    ScriptedPrompts prompts;
    EthernetLocator locator{session, prompts};
};

TEST_F(EthernetLocatorTest, OneModuleIsListedAndChosenAtOnce)
{
    start(1);
    int active = 0;
    QObject::connect(&locator, &EthernetLocator::activeModuleChanged, [&active] { ++active; });
    ASSERT_TRUE(locator.findModules());
    EXPECT_TRUE(prompts.shown.isEmpty());

    ASSERT_EQ(locator.rows().size(), 1);
    const EthernetLocator::Row &row = locator.rows().front();
    EXPECT_EQ(row.ip.trimmed(), "127.0.0.2");
    EXPECT_EQ(row.mac.trimmed(), "02-00-00-00-00-01");
    EXPECT_EQ(row.port, QString::number(sim->module().dataPort()));
    EXPECT_EQ(row.dhcp, "Off");
    EXPECT_EQ(row.owner, "Quorvadi");
    EXPECT_EQ(row.device, "6481 DMM");
    EXPECT_TRUE(row.reply.startsWith("Quorvadine,5241,")) << row.reply.toStdString();

    EXPECT_EQ(active, 1);
    EXPECT_EQ(locator.selectedModuleMac(), "02-00-00-00-00-01");
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "Ethernet");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP), "127.0.0.2           ");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetPort), QString::number(sim->module().dataPort()));
    EXPECT_EQ(Settings::value(SettingsKey::EthernetMAC), QStringLiteral("02-00-00-00-00-01").leftJustified(30));
    EXPECT_EQ(EthernetLocator::activeNameText(locator.activeModule()),
              "Quorvadi 6481 DMM\r\n" + locator.activeModule().IdentReply);

    // The instrument object now talks through the module.
    EXPECT_EQ(driver().GetInterfaceType(), InterfaceEthernet);
    EXPECT_TRUE(driver().CheckIdentity(driver().Identify()));
}

TEST_F(EthernetLocatorTest, TwoModulesAreListedAndNoneIsChosen)
{
    start(2);
    int active = 0;
    QObject::connect(&locator, &EthernetLocator::activeModuleChanged, [&active] { ++active; });
    ASSERT_TRUE(locator.findModules());
    ASSERT_EQ(locator.rows().size(), 2);
    EXPECT_EQ(locator.rows().at(1).ip.trimmed(), "127.0.0.3");
    EXPECT_EQ(locator.selectedModuleMac(), "");
    EXPECT_EQ(active, 0);
    // The module in use is still the one from the settings; nothing was written.
    EXPECT_EQ(locator.activeModule().ipText(), "10.9.8.7");
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "RS232");
    EXPECT_EQ(driver().GetInterfaceType(), InterfaceRS232);

    // Choosing a row adopts that module; a row that is not there changes nothing.
    EXPECT_FALSE(locator.selectModule(2));
    EXPECT_FALSE(locator.selectModule(-1));
    EXPECT_EQ(locator.selectedModuleMac(), "");
    EXPECT_TRUE(locator.selectModule(locator.indexOfMac(QStringLiteral(" 02-00-00-00-00-02"))));
    EXPECT_EQ(locator.activeModule().ipText(), "127.0.0.3");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP).trimmed(), "127.0.0.3");
}

TEST_F(EthernetLocatorTest, ModuleWhoseInstrumentIsSilentShowsTimeout)
{
    start(1);
    sim->knobs().silent = true;
    ASSERT_TRUE(locator.findModules());
    EXPECT_EQ(locator.rows().front().reply, "TIMEOUT");
}

TEST_F(EthernetLocatorTest, NothingAnsweringSaysSoAndKeepsTheLastList)
{
    start(1);
    ASSERT_TRUE(locator.findModules(false));
    // The modules are gone: a target where nothing listens.
    UdpPeer nobody;
    const quint16 quietPort = nobody.port();
    session.context().ethernetModules().setTargetOverride(
        EthernetDiscoveryTarget::parse(QStringLiteral("127.0.0.1:%1").arg(quietPort)));
    EXPECT_FALSE(locator.findModules());
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown.front().text, "No Devices Found");
    EXPECT_EQ(prompts.shown.front().title, "Locate Ethernet Devices");
    EXPECT_EQ(prompts.shown.front().icon, Prompts::Icon::Information);
    EXPECT_TRUE(locator.rows().isEmpty());
    EXPECT_EQ(locator.modules().size(), 1);
    EXPECT_EQ(nobody.received, QList<QByteArray>{"X"});
}

TEST_F(EthernetLocatorTest, TestCommunicationBoxGathersUpToStatusLineForPa)
{
    start(1);
    ASSERT_TRUE(locator.findModules());
    sim->calibrator.interpreter().addCommand(
        "pa", [](const CommandContext &) { return QByteArray("P1 1.0\r\nP2 2.0\r\n*0\r\n"); });
    // Each line in a datagram of its own, a little apart.
    sim->knobs().splitPieces = 3;
    sim->knobs().splitGapMs = 300;
    EXPECT_EQ(locator.sendTestCommand(QStringLiteral("pa")), "P1 1.0\r\nP2 2.0\r\n*0\r\n");
    EXPECT_EQ(locator.sendTestCommand(QStringLiteral("T")).count(QLatin1Char('\r')), 1);
    // The box's CR and the transport's: an empty line the instrument ignores.
    EXPECT_EQ(sim->module().dataHeard.mid(1), (QList<QByteArray>{"pa", "", "T", ""}));
}

TEST(EthernetInstrumentSearchTest, AsksOnlyModulesNamedLikeOursAndAdoptsTheCalibrator)
{
    ScopedFakeClock fake;
    SavedModule saved;
    SimEthernet sim(2);
    ASSERT_TRUE(sim.isOpen());
    sim.module(0).behaviour().owner = QStringLiteral("Othermak");
    InstrumentSession session;
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));

    QStringList details;
    QString found = QStringLiteral("before\r\n");
    EthernetInstrumentSearch search(session);
    ASSERT_TRUE(search.run([&](const QString &line) { details << line; }, found));
    EXPECT_TRUE(sim.module(0).dataHeard.isEmpty());
    EXPECT_EQ(sim.module(1).dataHeard, (QList<QByteArray>{"*IDN?", ""}));
    ASSERT_EQ(details.size(), 1);
    EXPECT_TRUE(details.front().startsWith("** Using Ethernet  127.0.0.3 Quorvadine,5241,"))
        << details.front().toStdString();
    EXPECT_TRUE(found.startsWith("before\r\nUsing Ethernet  Quorvadine,5241,"));
    EXPECT_TRUE(found.endsWith("\r\n127.0.0.3"));
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP).trimmed(), "127.0.0.3");
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceEthernet);
}

TEST(EthernetInstrumentSearchTest, ReportsModulesThatAreNotCalibratorsAndNoModules)
{
    ScopedFakeClock fake;
    SavedModule saved;
    InstrumentSession session;
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    QStringList details;
    QString found;
    {
        SimEthernet sim(1, QStringLiteral("6481"));
        ASSERT_TRUE(sim.isOpen());
        EXPECT_FALSE(EthernetInstrumentSearch(session).run([&](const QString &line) { details << line; }, found));
        EXPECT_EQ(details, QStringList{"No Reply from Ethernet  127.0.0.2"});
        EXPECT_EQ(Settings::value(SettingsKey::EthernetIP).trimmed(), "10.9.8.7");
    }
    details.clear();
    UdpPeer nobody;
    session.context().ethernetModules().setTargetOverride(
        EthernetDiscoveryTarget::parse(QStringLiteral("127.0.0.1:%1").arg(nobody.port())));
    EXPECT_FALSE(EthernetInstrumentSearch(session).run([&](const QString &line) { details << line; }, found));
    EXPECT_EQ(details, QStringList{"No Ethernet Devices"});
    EXPECT_TRUE(found.isEmpty());
}

TEST(EthernetInstrumentSearchTest, IdentityTests)
{
    EXPECT_TRUE(EthernetInstrumentSearch::isOurModule("quorvadi", "6481 DMM"));
    EXPECT_TRUE(EthernetInstrumentSearch::isOurModule("QUORVADINE", "6481"));
    EXPECT_FALSE(EthernetInstrumentSearch::isOurModule("Quorvad", "6481 DMM"));
    EXPECT_FALSE(EthernetInstrumentSearch::isOurModule("Quorvadi", "648 DMM"));
    EXPECT_TRUE(EthernetInstrumentSearch::isCalibratorIdentity("quorvadine,5210,1,1"));
    EXPECT_TRUE(EthernetInstrumentSearch::isCalibratorIdentity("Quorvadine,5251"));
    EXPECT_FALSE(EthernetInstrumentSearch::isCalibratorIdentity("Quorvadine,5600,1,1"));
    EXPECT_FALSE(EthernetInstrumentSearch::isCalibratorIdentity("Other,5241"));
}

} // namespace
