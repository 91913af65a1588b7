#include "instrument/ethernet/EthernetDiscoveryTarget.h"
#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

const QHostAddress kSender(QStringLiteral("127.0.0.2"));

EthernetModuleRecord parsed(const QByteArray &reply, bool *ok = nullptr)
{
    EthernetModuleRecord record;
    const bool result = EthernetModuleLink::parseDiscoveryReply(reply, kSender, &record);
    if (ok)
        *ok = result;
    return record;
}

TEST(DiscoveryReply, FullReplyFillsEveryField)
{
    bool ok = false;
    const EthernetModuleRecord r = parsed("A00-20-4A-01-02-03/10001/V1xMy/0/Quorvadi/6481 DMM", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(r.IP, QStringLiteral("127.0.0.2").leftJustified(20));
    EXPECT_EQ(r.MAC, QStringLiteral("00-20-4A-01-02-03").leftJustified(30));
    EXPECT_EQ(r.Port, 10001);
    EXPECT_EQ(r.StatusFlag3, "x");
    EXPECT_EQ(r.DHCPState, "M");
    EXPECT_EQ(r.StatusFlag5, "y");
    EXPECT_EQ(r.OwnerName, "Quorvadi");
    EXPECT_EQ(r.DeviceName, "6481 DMM");
    EXPECT_EQ(r.EchoReply, QStringLiteral("A00-20-4A-01-02-03/10001/V1xMy/0/Quorvadi/6481 DMM").leftJustified(80));
}

TEST(DiscoveryReply, MacAndSlashOnlyLeavesTheRestUnwritten)
{
    bool ok = false;
    const EthernetModuleRecord r = parsed("A00-20-4A-01-02-03/", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(r.macText(), "00-20-4A-01-02-03");
    EXPECT_EQ(r.Port, 0);
    EXPECT_EQ(r.dhcpText(), "Failed");
    EXPECT_EQ(r.OwnerName, "");
    EXPECT_EQ(r.DeviceName, "");
}

TEST(DiscoveryReply, DhcpColumnFromTheFourthStatusCharacter)
{
    const std::pair<const char *, const char *> cases[] = {
        {"A1/5/abcMe/0/o/d", "Off"},    {"A1/5/abcIe/0/o/d", "OK"}, {"A1/5/abcXe/0/o/d", "Failed"},
        {"A1/5/abcme/0/o/d", "Failed"}, {"A1/5/ab", "Failed"},      {"A1/5/abc", "Failed"},
    };
    for (const auto &[reply, column] : cases)
        EXPECT_EQ(parsed(reply).dhcpText(), column) << reply;
}

TEST(DiscoveryReply, RepliesThatAreNotModuleAnswers)
{
    bool ok = true;
    parsed("X", &ok);
    EXPECT_FALSE(ok);
    parsed("", &ok);
    EXPECT_FALSE(ok);
    // An "A" without "/" takes a place in the list with its address only.
    const EthernetModuleRecord r = parsed("A", &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(r.hasAddress());
    EXPECT_EQ(r.MAC, "");
}

TEST(DiscoveryReply, OversizedAndMalformedFieldsAreCutNotTrusted)
{
    const QByteArray longName(500, 'Q');
    const EthernetModuleRecord r = parsed("A" + QByteArray(100, 'M') + "/12ab/V10M0/0/" + longName + "/" + longName);
    EXPECT_EQ(r.MAC.size(), 30);
    EXPECT_EQ(r.Port, 12);
    EXPECT_EQ(r.OwnerName, "QQQQQQQQ");
    EXPECT_EQ(r.DeviceName, "QQQQQQQQ");
    EXPECT_EQ(r.EchoReply.size(), 80);
    EXPECT_EQ(parsed("Amac/99999999999999/V10M0/0/o/d").Port, 0);
    EXPECT_EQ(parsed("Amac/ 7/V10M0/0/o/d").Port, 7);
    EXPECT_EQ(parsed("Amac/-7/V10M0/0/o/d").Port, 0);
    // A NUL inside the reply is text like any other, not its end.
    EXPECT_EQ(parsed(QByteArray("Am") + '\0' + QByteArray("c/1/V10M0/0/o/d")).MAC.left(3),
              QString::fromLatin1("m\0c", 3));
}

TEST(DiscoveryTarget, ParsesAddressAndOptionalPort)
{
    struct Case
    {
        const char *text;
        bool valid;
        const char *address;
        quint16 port;
    };
    const Case cases[] = {
        {"255.255.255.255:32767", true, "255.255.255.255", 32767},
        {"127.0.0.1", true, "127.0.0.1", 32767},
        {" 127.0.0.1:40000 ", true, "127.0.0.1", 40000},
        {"127.0.0.1:0", false, "", 0},
        {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1:", false, "", 0},
        {"localhost:1", false, "", 0},
        {"::1", false, "", 0},
        {"127.1", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case &c : cases) {
        const auto target = EthernetDiscoveryTarget::parse(QString::fromLatin1(c.text));
        ASSERT_EQ(target.has_value(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(target->address.toString(), c.address);
            EXPECT_EQ(target->port, c.port);
        }
    }
}

TEST(EthernetSettings, SavedAsFixedLengthTextsAndLoadedBack)
{
    InstrumentSession session;
    EthernetModuleRecord module;
    module.IP = QStringLiteral("127.0.0.2");
    module.Port = 10001;
    module.MAC = QStringLiteral("02-00-00-00-00-01");
    ASSERT_TRUE(session.saveConnection(ethernetEndpointOf(module)));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "Ethernet");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP), QStringLiteral("127.0.0.2").leftJustified(20));
    EXPECT_EQ(Settings::value(SettingsKey::EthernetPort), "10001");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetMAC), QStringLiteral("02-00-00-00-00-01").leftJustified(30));

    Settings::setValue(SettingsKey::EthernetIP, QStringLiteral("10.0.0.1"));
    Settings::setValue(SettingsKey::EthernetMAC, QString(40, QLatin1Char('m')));
    const EthernetModuleRecord loaded = ethernetRecordOf(session.savedEndpoint(InterfaceEthernet));
    EXPECT_EQ(loaded.IP, QStringLiteral("10.0.0.1").leftJustified(20));
    EXPECT_EQ(loaded.Port, 10001);
    EXPECT_EQ(loaded.MAC, QString(30, QLatin1Char('m')));

    for (const QString &key :
         {SettingsKey::Interface, SettingsKey::EthernetIP, SettingsKey::EthernetPort, SettingsKey::EthernetMAC})
        Settings::remove(key);
}

} // namespace
