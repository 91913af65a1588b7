#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"
#include "instrument/ethernet/BroadcastInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "locate/EthernetLocator.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

const QHostAddress kFirstHub(QStringLiteral("127.0.0.1"));
const QHostAddress kSecondHub(QStringLiteral("127.0.1.1"));

/// Two "networks" on loopback, each a discovery target with one module behind it, both on the
/// same port as two real networks' broadcast addresses are; the setting left empty so discovery
/// goes to every interface the test lists.
class EveryInterfaceDiscovery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        first = std::make_unique<SimEthernet>(1, QStringLiteral("5241"), kFirstHub);
        ASSERT_TRUE(first->isOpen());
        second = std::make_unique<SimEthernet>(1, QStringLiteral("5241"), kSecondHub, first->front.discoveryPort());
        ASSERT_TRUE(second->isOpen()) << second->front.errorString().toStdString();
        second->module().behaviour().mac = QStringLiteral("02-00-00-00-01-01");
        Settings::remove(SettingsKey::EthernetDiscovery);
        interfaces = {{QStringLiteral("eth0"), kFirstHub, kFirstHub}, {QStringLiteral("eth1"), kSecondHub, kSecondHub}};
        link().setInterfaceProvider(
            [this] {
                ++listings;
                return interfaces;
            },
            first->front.discoveryPort());
    }

    void TearDown() override
    {
        for (const QString &key :
             {SettingsKey::Interface, SettingsKey::EthernetIP, SettingsKey::EthernetPort, SettingsKey::EthernetMAC})
            Settings::remove(key);
    }

    EthernetModuleLink &link() { return session.context().ethernetModules(); }
    QStringList macs() const
    {
        QStringList list;
        for (const EthernetLocator::Row &row : locator.rows())
            list << row.mac.trimmed();
        return list;
    }

    ScopedFakeClock fake;
    std::unique_ptr<SimEthernet> first;
    std::unique_ptr<SimEthernet> second;
    QList<BroadcastInterface> interfaces;
    int listings = 0;
    InstrumentSession session;
    ScriptedPrompts prompts;
    EthernetLocator locator{session, prompts};
};

TEST_F(EveryInterfaceDiscovery, ModulesBehindEachInterfaceAreListedTogether)
{
    ASSERT_TRUE(locator.findModules(false));
    EXPECT_EQ(macs(), (QStringList{"02-00-00-00-00-01", "02-00-00-00-01-01"}));
    EXPECT_EQ(locator.rows().at(1).ip.trimmed(), "127.0.1.2");
    EXPECT_EQ(link().searchedText(), "eth0 127.0.0.1, eth1 127.0.1.1");
    EXPECT_EQ(locator.searchedText(), "Searched: eth0 127.0.0.1, eth1 127.0.1.1");
    EXPECT_TRUE(prompts.shown.isEmpty());

    // The chosen module's commands go through the interface it answered on, not to the other.
    ASSERT_TRUE(locator.selectModule(1));
    first->module().heard.clear();
    second->module().heard.clear();
    EXPECT_TRUE(link().ModuleCommand(QStringLiteral("B")).startsWith('A'));
    EXPECT_EQ(second->module().heard, (QList<QByteArray>{"W02-00-00-00-01-01", "B"}));
    EXPECT_TRUE(first->module().heard.isEmpty());
}

TEST_F(EveryInterfaceDiscovery, AnInterfaceListedTwiceIsSearchedOnceAndItsModuleListedOnce)
{
    interfaces.append({QStringLiteral("eth0:1"), QHostAddress(QStringLiteral("127.0.0.9")), kFirstHub});
    ASSERT_TRUE(locator.findModules(false));
    EXPECT_EQ(macs(), (QStringList{"02-00-00-00-00-01", "02-00-00-00-01-01"}));
    EXPECT_EQ(link().searchedText(), "eth0 127.0.0.1, eth1 127.0.1.1");
    EXPECT_EQ(first->module().heard, QList<QByteArray>{"X"});
}

TEST_F(EveryInterfaceDiscovery, AGivenTargetIsTheOnlyPlaceSearched)
{
    Settings::setValue(SettingsKey::EthernetDiscovery, second->discoveryTarget());
    ASSERT_TRUE(locator.findModules(false));
    EXPECT_EQ(macs(), QStringList{"02-00-00-00-01-01"});
    EXPECT_EQ(link().searchedText(), second->discoveryTarget());
    EXPECT_EQ(listings, 0);
    EXPECT_TRUE(first->module().heard.isEmpty());
}

TEST_F(EveryInterfaceDiscovery, NoInterfaceToSearchSaysSo)
{
    interfaces.clear();
    EXPECT_FALSE(locator.findModules(false));
    EXPECT_EQ(link().searchedText(), "no interface that can broadcast");
    EXPECT_EQ(prompts.texts(), QStringList{"No Devices Found"});
    EXPECT_TRUE(first->module().heard.isEmpty());
}

// The command line names a module without finding it first: its selection is tried on each
// interface until one answers, and the command follows on that one alone.
TEST_F(EveryInterfaceDiscovery, ACommandForAModuleNotFoundYetLooksForItsInterface)
{
    link().selectedModuleMac = QStringLiteral("02-00-00-00-01-01");
    EXPECT_TRUE(link().ModuleCommand(QStringLiteral("B")).startsWith('A'));
    EXPECT_EQ(first->module().heard, QList<QByteArray>{"W02-00-00-00-01-01"});
    EXPECT_EQ(second->module().heard, (QList<QByteArray>{"W02-00-00-00-01-01", "B"}));
}

// Where broadcasts do not get through, a module is asked at its own address and added to the list
// with its instrument's identity; a text that is no address, or silence, is named in a message.
TEST_F(EveryInterfaceDiscovery, AModuleIsAddedByItsAddress)
{
    UdpPeer nobody;
    const QString silent = QStringLiteral("127.0.0.1:%1").arg(nobody.port());
    const QString second2 = QStringLiteral("127.0.1.2:%1").arg(second->module().commandPort());
    const struct
    {
        QString text;
        bool added;
        QString message;
        int rows;
    } cases[] = {
        {QStringLiteral("module-7"), false, "\"module-7\" is not a module address", 0},
        {QStringLiteral(""), false, "\"\" is not a module address", 0},
        {silent, false, "No module answered at " + silent + ".", 0},
        {second2, true, "", 1},
        // Asked again it is refreshed, not listed twice.
        {QStringLiteral(" ") + second2, true, "", 1},
    };
    for (const auto &c : cases) {
        prompts.shown.clear();
        EXPECT_EQ(locator.addModuleAt(c.text), c.added) << c.text.toStdString();
        EXPECT_EQ(prompts.texts().join('|').left(c.message.size()), c.message) << c.text.toStdString();
        EXPECT_EQ(locator.rows().size(), c.rows) << c.text.toStdString();
    }
    EXPECT_EQ(nobody.received, QList<QByteArray>{"X"});
    ASSERT_EQ(locator.rows().size(), 1);
    EXPECT_EQ(locator.rows().front().mac.trimmed(), "02-00-00-00-01-01");
    EXPECT_TRUE(locator.rows().front().reply.startsWith("Quorvadine,5241,"))
        << locator.rows().front().reply.toStdString();
    EXPECT_TRUE(first->module().heard.isEmpty());

    // Its commands go to its own address, the way it was reached.
    ASSERT_TRUE(locator.selectModule(0));
    second->module().heard.clear();
    EXPECT_TRUE(link().ModuleCommand(QStringLiteral("B")).startsWith('A'));
    EXPECT_EQ(second->module().heard, (QList<QByteArray>{"W02-00-00-00-01-01", "B"}));
}

TEST_F(EveryInterfaceDiscovery, TheDiscoveryTargetIsKeptOnlyWhenItIsOne)
{
    const struct
    {
        const char *text;
        bool kept;
        const char *stored;
    } cases[] = {
        {" 10.0.0.255:40000 ", true, "10.0.0.255:40000"},
        {"10.0.0", false, "10.0.0.255:40000"},
        {"10.0.0.255:0", false, "10.0.0.255:40000"},
        {"", true, ""},
    };
    for (const auto &c : cases) {
        prompts.shown.clear();
        EXPECT_EQ(locator.setDiscoveryTarget(QString::fromLatin1(c.text)), c.kept) << c.text;
        EXPECT_EQ(EthernetLocator::discoveryTarget(), c.stored) << c.text;
        EXPECT_EQ(prompts.shown.size(), c.kept ? 0 : 1) << c.text;
        if (!c.kept) {
            EXPECT_TRUE(prompts.texts().front().contains("ADDRESS[:PORT]")) << c.text;
        }
    }
    EXPECT_TRUE(link().searchesEveryInterface());
}

// A run without a provider of its own must not reach a real network: the suite's loopback-only
// guard leaves no real interface in the system's list.
TEST(SystemBroadcastInterfaces, UnderTheSuiteOnlyLoopbackIsListed)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("CALSETUP_LOOPBACK_ONLY"));
    for (const BroadcastInterface &nic : systemBroadcastInterfaces())
        EXPECT_TRUE(nic.broadcast.isLoopback()) << nic.label().toStdString();
}

} // namespace
