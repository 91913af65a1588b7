#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

// The program's own driver and serial transport against the virtual calibrator: what the
// windows and the command-line tool will see with --simulate.
class HostDriverTest : public ::testing::Test
{
protected:
    void connect(const QString &family)
    {
        ASSERT_TRUE(sim.isOpen());
        session.context().portTable().bind(1, sim.devicePath());
        session.setDvm(CreateDVM(family, session.context()));
        session.context().dvm1Comm()->setPortNumber(1);
        session.dvm()->connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
    }
    IDVM &dvm() { return *session.dvm(); }

    ScopedFakeClock fake;
    SimPty sim;
    InstrumentSession session;
};

TEST_F(HostDriverTest, IdentityIsAcceptedAndInformationAndFactorsEndOnTheStatusLine)
{
    connect(QStringLiteral("5200"));
    const QString id = dvm().Identify();
    EXPECT_TRUE(dvm().CheckIdentity(id)) << id.toStdString();

    const QString info = dvm().SendString(QStringLiteral("T"), true, 5, 1);
    EXPECT_EQ(info.count(QLatin1Char('\r')), 6) << info.toStdString();
    EXPECT_TRUE(info.endsWith(QLatin1String("*0\r")));

    const QString factors = dvm().SendString(QStringLiteral("CAL:PRINT 001"), true, 10, 1);
    EXPECT_EQ(factors.count(QLatin1Char('\r')), 5) << factors.toStdString();
}

TEST_F(HostDriverTest, ADelayedPacedReplyStillArrivesAndSilenceTimesOut)
{
    connect(QStringLiteral("5200"));
    sim.knobs().replyDelayMs = 3000;
    sim.knobs().paceCharsPerSecond = 960;
    const qint64 start = fake.clock.nowMs();
    EXPECT_TRUE(
        dvm().SendString(QStringLiteral("SYSTEM:PASSWORD 5820316"), true, 5, 1).startsWith(QLatin1String("*0")));
    EXPECT_GE(fake.clock.nowMs() - start, 3000);
    EXPECT_TRUE(sim.memory().systemUnlocked());

    sim.knobs() = FaultKnobs();
    sim.knobs().silent = true;
    EXPECT_EQ(dvm().SendString(QStringLiteral("CAL:PASSWORD 0"), true, 10, 1), QStringLiteral("TIMEOUT"));
}

TEST(HostDriverFamilies, EachModelIsAcceptedByItsOwnFamilyOnly)
{
    const QList<std::pair<QString, QString>> models = {
        {"5241", "5200"}, {"5210", "5200"}, {"5250", "5200"}, {"5600", "5600"}, {"6481", "6400"}};
    InstrumentSession session;
    for (const auto &[model, family] : models) {
        // The driver searches the whole identity for model numbers, so a serial number or
        // version that held another family's number would be taken for that family.
        VirtualCalibrator sim(model);
        const QString id = QString::fromLatin1(sim.handleLine("*IDN?"));
        for (const QString &driverFamily : {QStringLiteral("5200"), QStringLiteral("5600"), QStringLiteral("6400")}) {
            std::unique_ptr<IDVM> dvm = CreateDVM(driverFamily, session.context());
            EXPECT_EQ(dvm->CheckIdentity(id), driverFamily == family)
                << model.toStdString() << " by the " << driverFamily.toStdString() << " driver";
        }
    }
}

} // namespace
