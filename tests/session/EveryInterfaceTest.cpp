#include "fixtures/FakeClock.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/Reply.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

/// One way of reaching the virtual calibrator, with what the driver's description says of it and
/// how its route spells a time-out.
struct Route
{
    const char *name;
    int interfaceType;
    const char *descriptionStart;
    QString timeoutText;
};

auto everyRoute()
{
    return ::testing::Values(Route{"RS232", InterfaceRS232, "RS232 Port 1", Reply::Timeout},
                             Route{"GPIB", InterfaceGPIB, "GPIB Address 22", QString()},
                             Route{"USB", InterfaceUSB, "USB \r\n", Reply::Timeout},
                             Route{"Ethernet", InterfaceEthernet, "Ethernet \r\n127.0.0.2", Reply::Timeout});
}

std::string routeName(const ::testing::TestParamInfo<Route> &info)
{
    return info.param.name;
}

void PrintTo(const Route &route, std::ostream *os)
{
    *os << route.name;
}

/// Starts the simulated set-up with all its fronts and points a driver at the one of the route.
void connectSimulated(InstrumentSession &session, int interfaceType)
{
    SimulatedInstrument::Options options;
    options.settingsScope = QStringLiteral("calsetup session test");
    QString error;
    ASSERT_TRUE(session.startSimulation(options, &error)) << error.toStdString();
    session.createDvm(QStringLiteral("5200"));
    const Endpoint endpoint = session.simulation()->endpoint(interfaceType);
    ASSERT_FALSE(endpoint.address.isEmpty());
    ASSERT_TRUE(session.connect(endpoint, &error)) << error.toStdString();
}

/// The same exchanges over every interface the program has, through the one seam.
class EveryInterface : public ::testing::TestWithParam<Route>
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(connectSimulated(session, GetParam().interfaceType)); }

    IDVM &dvm() { return *session.dvm(); }
    VirtualCalibrator &calibrator() { return session.simulation()->calibrator(); }
    ExchangeReply exchange(const QString &command, int timeout = 5, int end = 1)
    {
        return session.channel().exchange({command, true, timeout, end});
    }

    ScopedFakeClock fake;
    InstrumentSession session;
};

TEST_P(EveryInterface, IdentifiesAndDescribesTheConnection)
{
    const QString id = dvm().Identify();
    EXPECT_TRUE(dvm().CheckIdentity(id.trimmed())) << id.toStdString();
    EXPECT_TRUE(dvm().GetDescription().startsWith(QLatin1String("Quorvadine 5200\r\n") + GetParam().descriptionStart))
        << dvm().GetDescription().toStdString();
    EXPECT_EQ(dvm().GetInterfaceType(), GetParam().interfaceType);
}

TEST_P(EveryInterface, GathersAMultiLineAnswerUpToItsStatusLine)
{
    const ExchangeReply reply = exchange(QStringLiteral("CAL:PRINT 001"));
    EXPECT_EQ(reply.outcome, ExchangeOutcome::Answered);
    const QString text = dvm().SendString(QStringLiteral("CAL:PRINT 001"), true, 5, 1);
    EXPECT_TRUE(text.endsWith(QLatin1String("*0\r"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));
    EXPECT_EQ(text.count(QLatin1Char('\r')), calibrator().memory().factors(1).size() + 1);
    EXPECT_EQ(text.section(QLatin1Char('\r'), 0, 0), QString::number(calibrator().memory().factors(1).at(0)));
}

TEST_P(EveryInterface, SilenceEndsAsATimeOutSpelledAsTheRouteSpellsIt)
{
    calibrator().knobs().silent = true;
    const ExchangeReply reply = exchange(QStringLiteral("T"));
    EXPECT_EQ(reply.outcome, ExchangeOutcome::TimedOut);
    EXPECT_TRUE(reply.failed());
    EXPECT_EQ(reply.conventionalText(), GetParam().timeoutText);
    EXPECT_EQ(dvm().SendString(QStringLiteral("T"), true, 5, 1), GetParam().timeoutText);
}

TEST_P(EveryInterface, ASecondExchangeWhileOneWaitsIsBusyAndNeverSent)
{
    calibrator().knobs().replyDelayMs = 400;
    ExchangeReply inner;
    bool tried = false;
    session.context().state().activityHook = [&](const QString &) {
        if (!tried) {
            tried = true;
            inner = exchange(QStringLiteral("L"));
        }
    };
    const int heardBefore = calibrator().commandsHeard();
    const ExchangeReply outer = exchange(QStringLiteral("SYSTEM:PASSWORD 5820316"));
    session.context().state().activityHook = nullptr;
    EXPECT_TRUE(tried);
    EXPECT_EQ(outer.outcome, ExchangeOutcome::Answered);
    EXPECT_TRUE(Reply::isSuccess(outer.conventionalText()));
    EXPECT_EQ(inner.outcome, ExchangeOutcome::Busy);
    EXPECT_EQ(inner.conventionalText(), Reply::Busy);
    EXPECT_EQ(calibrator().commandsHeard(), heardBefore + 1) << "the refused command never went out";
}

TEST_P(EveryInterface, ALineBreakInACommandNeverReachesTheInstrument)
{
    const int heardBefore = calibrator().commandsHeard();
    exchange(QStringLiteral("SYSTEM:PASSWORD 5820316\rCAL:PASSWORD 0"));
    // One command arrived, the two halves run together: the break did not smuggle in a second one.
    EXPECT_EQ(calibrator().commandsHeard(), heardBefore + 1);
    EXPECT_FALSE(calibrator().memory().systemUnlocked());
}

/// The same set-up with the instrument work on the session's own thread, as the windowed program
/// runs it: the devices and the virtual calibrator move there, and their arrivals must wake that
/// thread's waits (on the real clock, as nothing here times out).
class EveryInterfaceOnTheWorkThread : public ::testing::TestWithParam<Route>
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(connectSimulated(session, GetParam().interfaceType));
        // A first exchange on this thread leaves the device open here: moving has to let go of it.
        ASSERT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify().trimmed()));
        session.useWorkThread();
    }

    /// Runs work as an operation and waits here, handling this thread's events, until it ends.
    template <class Result>
    Result run(std::function<Result(OperationControl &)> work)
    {
        Result result{};
        QObject owner;
        session.operations().submit(&owner,
                                    OperationQueue::request<Result>(QStringLiteral("test"),
                                                                    OperationQueue::Effect::Reads,
                                                                    OperationQueue::WhenBusy::WaitTurn, std::move(work),
                                                                    [&result](Result r) { result = std::move(r); }));
        session.operations().waitUntilIdle();
        return result;
    }

    InstrumentSession session;
};

TEST_P(EveryInterfaceOnTheWorkThread, AnswersReachTheWorkThreadAndTheResultComesBack)
{
    // A device left on this thread would still answer, late: its arrivals would wake nobody.
    QThread *work = session.operations().workThread();
    ASSERT_NE(work, QThread::currentThread());
    EXPECT_EQ(session.context().dvm1Comm()->thread(), work);
    EXPECT_EQ(session.simulation()->calibrator().thread(), work);
    InstrumentSession *s = &session;
    const QThread *testThread = QThread::currentThread();
    const auto answers = run<QStringList>([s, testThread](OperationControl &) {
        if (QThread::currentThread() == testThread)
            return QStringList{QStringLiteral("ran on the test's thread")};
        IDVM &dvm = *s->dvm();
        return QStringList{dvm.Identify().trimmed(), dvm.SendString(QStringLiteral("CAL:PRINT 001"), true, 5, 1),
                           dvm.GetDescription()};
    });
    ASSERT_EQ(answers.size(), 3) << answers.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(session.dvm()->CheckIdentity(answers.at(0))) << answers.at(0).toStdString();
    EXPECT_TRUE(answers.at(1).endsWith(QLatin1String("*0\r"))) << answers.at(1).toStdString();
    EXPECT_EQ(answers.at(1).count(QLatin1Char('\r')),
              session.simulation()->calibrator().memory().factors(1).size() + 1);
    EXPECT_TRUE(answers.at(2).contains(QLatin1String(GetParam().descriptionStart))) << answers.at(2).toStdString();
}

TEST_P(EveryInterfaceOnTheWorkThread, ADriverMadeAndPointedOnTheWorkThreadAnswersThere)
{
    InstrumentSession *s = &session;
    const int type = GetParam().interfaceType;
    const bool identified = run<bool>([s, type](OperationControl &) {
        s->createDvm(QStringLiteral("5200"));
        return s->connect(s->simulation()->endpoint(type)) && s->dvm()->CheckIdentity(s->dvm()->Identify().trimmed());
    });
    EXPECT_TRUE(identified);
}

INSTANTIATE_TEST_SUITE_P(Session, EveryInterface, everyRoute(), routeName);

INSTANTIATE_TEST_SUITE_P(Session, EveryInterfaceOnTheWorkThread, everyRoute(), routeName);

} // namespace
