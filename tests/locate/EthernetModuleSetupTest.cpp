#include "locate/EthernetModuleSetup.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "locate/EthernetLocator.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kMac = "02-00-00-00-00-01";

class EthernetModuleSetupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen());
        link().selectedModuleMac = QString::fromLatin1(kMac);
    }
    void TearDown() override
    {
        for (const QString &key :
             {SettingsKey::Interface, SettingsKey::EthernetIP, SettingsKey::EthernetPort, SettingsKey::EthernetMAC})
            Settings::remove(key);
    }

    EthernetModuleLink &link() { return session.context().ethernetModules(); }
    EthernetModuleSim &module() { return sim.module(); }
    QStringList messages() const { return prompts.texts(); }

    ScopedFakeClock fake;
    FakeClock &clock = fake.clock;
    SimEthernet sim;
    InstrumentSession session;
    ScriptedPrompts prompts;
    EthernetLocator locator{session, prompts};
    int rediscoveries = 0;
    qint64 rediscoveredAtMs = -1;
    EthernetModuleSetup setup{link(), prompts, [this] {
                                  ++rediscoveries;
                                  rediscoveredAtMs = clock.nowMs();
                                  locator.findModules();
                              }};
};

TEST_F(EthernetModuleSetupTest, InitialiseStopsAtTheRefusedStepWithItsExactDatagrams)
{
    module().behaviour().refused.insert("SFC0");
    EXPECT_FALSE(setup.initialiseModule());
    const QList<QByteArray> expected = {"W" + kMac, "L",        "W" + kMac, "SBR3",     "W" + kMac,
                                        "SPR0",     "W" + kMac, "SBB1",     "W" + kMac, "SFC0"};
    EXPECT_EQ(module().heard, expected);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown.front().text, "Set Flow Control Failed");
    EXPECT_EQ(prompts.shown.front().title, "Ethernet Setup");
    EXPECT_EQ(prompts.shown.front().icon, Prompts::Icon::Warning);
    EXPECT_FALSE(module().rebooting());
    EXPECT_EQ(rediscoveries, 0);
}

TEST_F(EthernetModuleSetupTest, InitialiseSetsEverythingRebootsAndLooksAgain)
{
    module().behaviour().owner = QStringLiteral("Nobody");
    module().behaviour().device = QStringLiteral("Nothing");
    const qint64 start = clock.nowMs();
    EXPECT_TRUE(setup.initialiseModule());
    EXPECT_EQ(module().serialSetting("SBR"), "3");
    EXPECT_EQ(module().serialSetting("SFC"), "0");
    EXPECT_EQ(module().serialSetting("SSE"), "1");
    EXPECT_EQ(module().heard.mid(15), (QList<QByteArray>{"SDN6481 DMM", "W" + kMac, "L", "W" + kMac, "E", "X"}));
    EXPECT_EQ(rediscoveries, 1);
    EXPECT_GE(rediscoveredAtMs - start, 5000);
    EXPECT_EQ(messages(), QStringList{"Meter-Side Serial Port Setup OK"});
    // The rediscovery found the one module with its new names and chose it.
    ASSERT_EQ(locator.rows().size(), 1);
    EXPECT_EQ(locator.rows().front().owner, "Quorvadi");
    EXPECT_EQ(locator.rows().front().device, "6481 DMM");
    EXPECT_EQ(link().selectedModuleMac, QString::fromLatin1(kMac));
}

TEST_F(EthernetModuleSetupTest, LoginAnswerWithMoreThanAFailsOnlyTheStrictSequences)
{
    module().behaviour().loginReply = "A1";
    struct Case
    {
        const char *name;
        std::function<bool()> run;
        bool passes;
        const char *title;
        Prompts::Icon icon;
    };
    const Case cases[] = {
        {"Set IP", [this] { return setup.setIp(QStringLiteral("127.0.0.9")); }, false, "Ethernet Setup",
         Prompts::Icon::Critical},
        {"DHCP on", [this] { return setup.setDhcp(true); }, false, "Ethernet Setup", Prompts::Icon::Critical},
        {"DHCP Off", [this] { return setup.setDhcp(false); }, false, "Ethernet Setup", Prompts::Icon::Critical},
        {"Setup Device Name", [this] { return setup.setupDeviceName(); }, false, "Set Name", Prompts::Icon::Warning},
        {"Reboot", [this] { return setup.reboot(); }, true, "", Prompts::Icon::None},
    };
    for (const Case &c : cases) {
        prompts.shown.clear();
        module().heard.clear();
        EXPECT_EQ(c.run(), c.passes) << c.name;
        if (c.passes) {
            EXPECT_TRUE(prompts.shown.isEmpty()) << c.name;
            EXPECT_EQ(module().heard.last(), "E") << c.name;
            continue;
        }
        ASSERT_EQ(prompts.shown.size(), 1) << c.name;
        EXPECT_EQ(prompts.shown.front().text, "Login Failed") << c.name;
        EXPECT_EQ(prompts.shown.front().title, c.title) << c.name;
        EXPECT_EQ(prompts.shown.front().icon, c.icon) << c.name;
        EXPECT_EQ(module().heard.size(), 2) << c.name; // W and L, nothing after
    }
    EXPECT_EQ(module().configuredIp(), "127.0.0.2");
}

TEST_F(EthernetModuleSetupTest, DhcpShowsItsMessageBeforeThePauseAndRediscovery)
{
    qint64 messageAtMs = -1;
    prompts.answers.clear();
    const qint64 start = clock.nowMs();
    struct TimedPrompts : ScriptedPrompts
    {
        FakeClock *clock = nullptr;
        qint64 *at = nullptr;
        Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                       Answer defaultAnswer) override
        {
            *at = clock->nowMs();
            return ScriptedPrompts::message(text, title, icon, buttons, defaultAnswer);
        }
    } timed;
    timed.clock = &clock;
    timed.at = &messageAtMs;
    EthernetModuleSetup dhcpSetup(link(), timed, [this] {
        ++rediscoveries;
        rediscoveredAtMs = clock.nowMs();
        locator.findModules();
    });
    EXPECT_TRUE(dhcpSetup.setDhcp(true));
    EXPECT_EQ(timed.texts(), QStringList{"DHCP Configuration Set\rDevice Rebooting"});
    EXPECT_LT(messageAtMs - start, 1000);
    EXPECT_GE(rediscoveredAtMs - messageAtMs, 3000);
    ASSERT_EQ(locator.rows().size(), 1);
    EXPECT_EQ(locator.rows().front().dhcp, "OK");
}

TEST_F(EthernetModuleSetupTest, SetIpRebootsAndTheModuleIsFoundAtItsNewAddress)
{
    EXPECT_TRUE(setup.setIp(QStringLiteral(" 127.0.0.9 ")));
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(module().heard.contains("SIP127.0.0.9"));
    ASSERT_EQ(locator.rows().size(), 1);
    EXPECT_EQ(locator.rows().front().ip.trimmed(), "127.0.0.9");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP).trimmed(), "127.0.0.9");
}

TEST_F(EthernetModuleSetupTest, ModuleRefusingTheAddressSaysSetIpFailed)
{
    EXPECT_FALSE(setup.setIp(QStringLiteral("not an address")));
    EXPECT_EQ(messages(), QStringList{"Set IP Failed"});
    EXPECT_FALSE(module().heard.contains("E"));
}

TEST_F(EthernetModuleSetupTest, WithoutAChosenModuleNothingIsSent)
{
    link().selectedModuleMac.clear();
    EXPECT_FALSE(setup.reboot());
    EXPECT_FALSE(setup.setIp(QStringLiteral("127.0.0.9")));
    EXPECT_FALSE(setup.setDhcp(false));
    EXPECT_EQ(setup.getIp(), "");
    EXPECT_EQ(messages(), QStringList(4, QStringLiteral("Select Target Device")));
    prompts.shown.clear();
    // These two go ahead and find nobody to log in to.
    EXPECT_FALSE(setup.initialiseModule());
    EXPECT_FALSE(setup.setupDeviceName());
    EXPECT_EQ(messages(), (QStringList{"Login Failed", "Login Failed"}));
    setup.flashLeds();
    EXPECT_TRUE(module().heard.isEmpty());
}

TEST_F(EthernetModuleSetupTest, GetIpAndFlashAndDeviceName)
{
    EXPECT_EQ(setup.getIp(), "127.0.0.2");
    EXPECT_EQ(messages(), QStringList{"Module IP Address 127.0.0.2"});
    setup.flashLeds();
    EXPECT_EQ(module().ledFlashes(), 1);
    prompts.shown.clear();
    EXPECT_TRUE(setup.setupDeviceName());
    EXPECT_EQ(messages(), QStringList{"Device Name Set OK"});
    EXPECT_FALSE(module().rebooting());
}

TEST_F(EthernetModuleSetupTest, ALeftOverDatagramIsNotTakenForTheModulesAnswer)
{
    // Bind the command socket, then leave a stray "A" waiting in it.
    link().ModuleCommand(QStringLiteral("B"));
    UdpPeer stray;
    stray.sendTo(QHostAddress(QHostAddress::LocalHost), link().localPort(), "A02-00-00-00-00-07/1/V10M0/0/x/y");
    clock.pause(50);
    module().behaviour().refused.insert("L");
    EXPECT_EQ(link().ModuleCommand(QStringLiteral("L")), "");
    EXPECT_TRUE(link().lastCommandAnswered());
}

TEST(ProposeAddress, StaysWithinOneTo254AndAwayFromOurOwn)
{
    const QHostAddress own(QStringLiteral("192.168.1.250"));
    QStringList proposals;
    for (int step = 0; step < 10; ++step)
        proposals << EthernetModuleSetup::proposeAddress(own, step);
    EXPECT_EQ(proposals,
              (QStringList{"192.168.1.251", "192.168.1.252", "192.168.1.253", "192.168.1.254", "192.168.1.1",
                           "192.168.1.2", "192.168.1.3", "192.168.1.4", "192.168.1.5", "192.168.1.6"}));
    for (int last : {0, 1, 5, 244, 253, 254, 255}) {
        const QHostAddress address(QStringLiteral("10.0.0.%1").arg(last));
        for (int step = 0; step < 10; ++step) {
            const int proposed = EthernetModuleSetup::proposeAddress(address, step).section('.', 3).toInt();
            EXPECT_GE(proposed, 1);
            EXPECT_LE(proposed, 254);
            EXPECT_NE(proposed, last);
        }
    }
    EXPECT_EQ(EthernetModuleSetup::proposeAddress(QHostAddress(QStringLiteral("10.0.0.5")), 0), "10.0.0.6");
    EXPECT_EQ(EthernetModuleSetup::proposeAddress(QHostAddress(QStringLiteral("::1")), 0), "");
    EXPECT_EQ(EthernetModuleSetup::proposeAddress(QHostAddress(), 0), "");
}

TEST_F(EthernetModuleSetupTest, GenerateProposesAnAddressBesideThisComputersRoute)
{
    // The discovery target is on loopback, so this computer's address on that route is 127.0.0.1.
    const QString proposal = setup.generateIp();
    EXPECT_TRUE(proposal.startsWith("127.0.0.")) << proposal.toStdString();
    EXPECT_NE(proposal, "127.0.0.1");
    EXPECT_TRUE(messages().isEmpty());
}

} // namespace
