#include "locate/SerialSearch.h"

#include "fixtures/FakeClock.h"
#include "fixtures/PortBindings.h"
#include "fixtures/PtyPeer.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class SerialSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        QObject::connect(&search, &SerialSearch::detail, [this](const QString &text) { details << text; });
    }

    /// A scripted instrument on a pseudo-terminal; silent unless given a responder.
    PtyPeer &peer()
    {
        peers.push_back(std::make_unique<PtyPeer>());
        EXPECT_TRUE(peers.back()->isOpen());
        return *peers.back();
    }

    QString simIdentity()
    {
        const InstrumentMemory &m = sim.memory();
        return QStringLiteral("Quorvadine,%1,%2,%3")
            .arg(QString::fromLatin1(m.model()), QString::fromLatin1(m.serialNumber()),
                 QString::fromLatin1(m.firmwareVersion()));
    }

    ScopedFakeClock fake;
    FakeClock &clock = fake.clock;
    ScopedLocateSettings settings{QStringLiteral("search")};
    SimPty sim;
    std::vector<std::unique_ptr<PtyPeer>> peers;
    InstrumentSession session;
    SerialSearch search{session};
    QStringList details;
};

TEST_F(SerialSearchTest, FindsTheCalibratorOnTheThirdPortAfterTwoSilentOnes)
{
    bindOnly(session.context().portTable(),
             {{1, peer().devicePath()}, {2, peer().devicePath()}, {3, sim.devicePath()}});

    EXPECT_TRUE(search.locateAll());

    const QString found = QStringLiteral("Found ") + simIdentity() + QStringLiteral("\rOn port 3");
    EXPECT_EQ(details,
              QStringList({"Checking Serial Ports", "Checking Port 1", "No Reply", "Checking Port 2", "No Reply",
                           "Checking Port 3", found}));
    EXPECT_EQ(search.foundText(), found + QStringLiteral("\r\n"));
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "3");
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "RS232");
    // The device keeps its number at the next start.
    EXPECT_EQ(Settings::value(SettingsKey::serialPortDevice(3), QString()), sim.devicePath());

    // DVM now talks to the found port; the port was left closed for the transport to open.
    SerialPortControl *comm = session.context().dvm1Comm();
    EXPECT_EQ(comm->portNumber(), 3);
    EXPECT_FALSE(comm->isOpen());
    EXPECT_EQ(session.dvm()->GetInterfaceType(), 0);
    EXPECT_EQ(session.dvm()->GetDescription(), "Quorvadine 5200\r\nRS232 Port 3");
    EXPECT_EQ(session.dvm()->Identify(), simIdentity() + QLatin1Char('\r'));
    // Every listed port was asked once, with the lone CR first.
    EXPECT_EQ(peers[0]->received(), QByteArray("\r*IDN?\r"));
}

struct ReplyCase
{
    const char *name;
    QByteArray answer; ///< what the first port sends back to "*IDN?"
    int delayMs;
    QString detail; ///< the line the search shows for that port
};

class SerialSearchReplies : public SerialSearchTest, public ::testing::WithParamInterface<ReplyCase>
{
};

TEST_P(SerialSearchReplies, FirstPortIsReportedAndTheSearchGoesOn)
{
    const ReplyCase &c = GetParam();
    PtyPeer &first = peer();
    first.setResponder([&first, c](const QByteArray &line) {
        if (line == "*IDN?" && !c.answer.isEmpty())
            first.sendAfter(c.delayMs, c.answer);
        return QByteArray();
    });
    bindOnly(session.context().portTable(), {{1, first.devicePath()}, {2, sim.devicePath()}});

    EXPECT_TRUE(search.locateAll());
    ASSERT_EQ(details.size(), 5) << details.join(" | ").toStdString();
    EXPECT_EQ(details[1], "Checking Port 1");
    EXPECT_EQ(details[2], c.detail);
    EXPECT_EQ(details[3], "Checking Port 2");
    EXPECT_TRUE(details[4].endsWith("\rOn port 2")) << details[4].toStdString();
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "2");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SerialSearchReplies,
    ::testing::Values(ReplyCase{"AnotherMaker", "Acme Instruments,M100,77\r\n", 0, "Reply: Acme Instruments,M100,77\r"},
                      ReplyCase{"OurMakerOtherFamily", "Quorvadine,5600,1,1.0\r\n", 0,
                                "Reply: Quorvadine,5600,1,1.0\r"},
                      // Blanks are trimmed from the ends of the line with its CR, so those before the CR stay.
                      ReplyCase{"PaddedWithBlanks", "  Acme  \r\n", 0, "Reply: Acme  \r"},
                      ReplyCase{"EchoOfTheQuery", "*IDN?\r\n", 0, "No Reply"},
                      ReplyCase{"EmptyLinesThenAnswer", "\r\n\r\nAcme\r\n", 0, "Reply: Acme\r"},
                      ReplyCase{"LineWithoutEnd", "Acme", 0, "No Reply"},
                      ReplyCase{"AnswerJustInTime", "Acme\r\n", 1900, "Reply: Acme\r"},
                      ReplyCase{"AnswerTooLate", "Acme\r\n", 2300, "No Reply"}, ReplyCase{"Silent", {}, 0, "No Reply"}),
    [](const ::testing::TestParamInfo<ReplyCase> &info) { return std::string(info.param.name); });

TEST_F(SerialSearchTest, NoPortOpensSoNothingIsProbedAndNothingIsStored)
{
    bindOnly(session.context().portTable(), {});
    std::optional<PortListing> listed;
    QObject::connect(&search, &SerialSearch::portsListed, [&](const PortListing &l) { listed = l; });

    EXPECT_FALSE(search.locateAll());

    ASSERT_TRUE(listed);
    EXPECT_TRUE(listed->ports.isEmpty());
    EXPECT_EQ(details, QStringList({"Checking Serial Ports", "No Meter Found on serial ports"}));
    EXPECT_TRUE(search.foundText().isEmpty());
    EXPECT_FALSE(Settings::contains(SettingsKey::CommPort));
    EXPECT_FALSE(Settings::contains(SettingsKey::Interface));
}

TEST_F(SerialSearchTest, StoredPortThatDoesNotOpenIsNotSelectedAndComesBackAfterAFailedSearch)
{
    Settings::setValue(SettingsKey::CommPort, "5");
    bindOnly(session.context().portTable(), {{1, peer().devicePath()}, {2, peer().devicePath()}});

    const PortListing listing = search.listPorts();
    EXPECT_EQ(listing.ports, QList<int>({1, 2}));
    EXPECT_EQ(listing.instrumentIndex, -1);

    session.context().dvm1Comm()->setPortNumber(1);
    EXPECT_FALSE(search.searchPorts(listing.ports));
    EXPECT_EQ(session.context().dvm1Comm()->portNumber(), 5);
    EXPECT_EQ(details.last(), "No Meter Found on serial ports");
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "5");
}

struct SelectionCase
{
    const char *name;
    const char *storedScanner; ///< nullptr: absent
    const char *storedInstrument;
    bool useScanner;
    int scannerIndex;
    int instrumentIndex;
};

class PortSelections : public SerialSearchTest, public ::testing::WithParamInterface<SelectionCase>
{
};

TEST_P(PortSelections, StoredPortsSelectTheirEntries)
{
    const SelectionCase &c = GetParam();
    if (c.storedScanner)
        Settings::setValue(SettingsKey::ScannerCommPort, c.storedScanner);
    if (c.storedInstrument)
        Settings::setValue(SettingsKey::CommPort, c.storedInstrument);
    // Ports 1, 3 and 4 open; 2 does not.
    bindOnly(session.context().portTable(),
             {{1, peer().devicePath()}, {3, peer().devicePath()}, {4, sim.devicePath()}});

    const PortListing listing = search.listPorts();
    EXPECT_EQ(listing.ports, QList<int>({1, 3, 4}));
    EXPECT_EQ(listing.useScanner(), c.useScanner);
    EXPECT_EQ(listing.scannerIndex, c.scannerIndex);
    EXPECT_EQ(listing.instrumentIndex, c.instrumentIndex);
    EXPECT_EQ(session.context().dvm1Comm()->portNumber(), listing.instrumentPort);
    EXPECT_FALSE(session.context().dvm1Comm()->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Stored, PortSelections,
                         ::testing::Values(SelectionCase{"NothingStored", nullptr, nullptr, true, 0, 0},
                                           SelectionCase{"NoScanner", "0", "4", false, -1, 2},
                                           SelectionCase{"ScannerOnThree", "3", "3", true, 1, 1},
                                           SelectionCase{"PortsThatDoNotOpen", "2", "9", true, -1, -1}),
                         [](const ::testing::TestParamInfo<SelectionCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(SerialSearchTest, SixteenSilentPortsCostOneIdentificationWait)
{
    QMap<int, QString> devices;
    for (int n = 1; n <= 16; ++n)
        devices.insert(n, peer().devicePath());
    bindOnly(session.context().portTable(), devices);

    const qint64 start = clock.nowMs();
    EXPECT_FALSE(search.locateAll());
    const qint64 elapsed = clock.nowMs() - start;

    EXPECT_GE(elapsed, 2000);
    EXPECT_LT(elapsed, 3000);
    ASSERT_EQ(details.size(), 1 + 16 * 2 + 1);
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(details[1 + (n - 1) * 2], QStringLiteral("Checking Port %1").arg(n));
        EXPECT_EQ(details[2 + (n - 1) * 2], "No Reply");
        EXPECT_EQ(peers[n - 1]->received(), QByteArray("\r*IDN?\r")) << n;
    }
}

TEST_F(SerialSearchTest, FirstAnsweringPortInListOrderWinsOverAQuickerLaterOne)
{
    PtyPeer &silent = peer();
    PtyPeer &other = peer();
    other.setResponder([](const QByteArray &) { return QByteArray("Acme,1\r\n"); });
    PtyPeer &slow = peer();
    slow.setResponder([&slow](const QByteArray &) {
        slow.sendAfter(1500, "Quorvadine,5250,S3,1.0\r\n");
        return QByteArray();
    });
    bindOnly(session.context().portTable(),
             {{1, silent.devicePath()}, {2, other.devicePath()}, {3, slow.devicePath()}, {4, sim.devicePath()}});

    EXPECT_TRUE(search.locateAll());
    EXPECT_EQ(details,
              QStringList({"Checking Serial Ports", "Checking Port 1", "No Reply", "Checking Port 2", "Reply: Acme,1\r",
                           "Checking Port 3", "Found Quorvadine,5250,S3,1.0\rOn port 3"}));
    EXPECT_EQ(search.foundPort(), 3);
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "3");
}

TEST_F(SerialSearchTest, EachLocateAllStartsWithAnEmptyResult)
{
    bindOnly(session.context().portTable(), {{2, sim.devicePath()}});
    ASSERT_TRUE(search.locateAll());
    ASSERT_TRUE(search.locateAll());
    EXPECT_EQ(search.foundText().count(QLatin1String("Found ")), 1);

    bindOnly(session.context().portTable(), {});
    EXPECT_FALSE(search.locateAll());
    EXPECT_TRUE(search.foundText().isEmpty());
}

TEST_F(SerialSearchTest, ASecondSearchWhileOneRunsIsRefused)
{
    bindOnly(session.context().portTable(), {{1, peer().devicePath()}, {2, sim.devicePath()}});
    bool nestedResult = true;
    int nestedCalls = 0;
    QObject::connect(&search, &SerialSearch::detail, [&](const QString &text) {
        if (text == "Checking Port 1" && nestedCalls++ == 0) {
            nestedResult = search.searchPorts({2});
            EXPECT_FALSE(search.locateAll());
        }
    });

    EXPECT_TRUE(search.locateAll());
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(details.count("Checking Port 2"), 1);
    EXPECT_EQ(search.foundPort(), 2);
}

} // namespace
