#include "fixtures/FakeClock.h"
#include "instrument/TraceBus.h"
#include "instrument/TransportState.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Route
{
    const char *name;
    int interfaceType;
    const char *interfacePrefix; ///< the trace's words for the route, before the address
    const char *commandEnd;      ///< what the route puts after a command on the line
};

void PrintTo(const Route &route, std::ostream *os)
{
    *os << route.name;
}

/// The simulated set-up with all its fronts, a driver on the route's front, and a listener that
/// keeps every record.
class TraceRecordRoutes : public ::testing::TestWithParam<Route>
{
protected:
    void SetUp() override
    {
        SimulatedInstrument::Options options;
        options.settingsScope = QStringLiteral("calsetup trace test");
        QString error;
        ASSERT_TRUE(session.startSimulation(options, &error)) << error.toStdString();
        session.createDvm(QStringLiteral("5200"));
        endpoint = session.simulation()->endpoint(GetParam().interfaceType);
        listener = traceBus().addListener([this](const TraceRecord &r) { records << r; });
        ASSERT_TRUE(session.connect(endpoint, &error)) << error.toStdString();
    }
    void TearDown() override { traceBus().removeListener(listener); }

    ExchangeReply exchange(const QString &command, int timeout = 5)
    {
        return session.channel().exchange({command, true, timeout, 1});
    }
    VirtualCalibrator &calibrator() { return session.simulation()->calibrator(); }

    ScopedFakeClock fake;
    InstrumentSession session;
    Endpoint endpoint;
    QList<TraceRecord> records;
    int listener = 0;
};

struct Case
{
    const char *name;
    std::function<void(VirtualCalibrator &)> arrange;
    QString command;
    ExchangeOutcome outcome;
    const char *word;
};

TEST_P(TraceRecordRoutes, OneRecordPerExchangeWithItsOutcome)
{
    const QString prefix = QString::fromLatin1(GetParam().interfacePrefix);
    // Pointing the driver at the endpoint is a record of its own, naming where.
    const auto opened = std::find_if(records.cbegin(), records.cend(),
                                     [](const TraceRecord &r) { return r.kind == TraceRecord::Kind::Opened; });
    ASSERT_NE(opened, records.cend());
    EXPECT_EQ(opened->outcome, ExchangeOutcome::Answered);
    EXPECT_TRUE(opened->interface.startsWith(prefix)) << opened->interface.toStdString();
    if (GetParam().interfaceType != InterfaceRS232) // a serial port is named by its number and device
        EXPECT_TRUE(opened->interface.endsWith(endpoint.address)) << opened->interface.toStdString();

    const Case cases[] = {
        {"answered", [](VirtualCalibrator &) {}, QStringLiteral("CAL:PRINT 001"), ExchangeOutcome::Answered,
         "answered"},
        {"refused", [](VirtualCalibrator &) {}, QStringLiteral("CALIBRATE:PASSWORD 1"), ExchangeOutcome::Answered,
         "refused *"},
        {"time-out", [](VirtualCalibrator &c) { c.knobs().silent = true; }, QStringLiteral("T"),
         ExchangeOutcome::TimedOut, "time-out"},
        {"overflow",
         [](VirtualCalibrator &c) {
             c.knobs() = FaultKnobs();
             c.knobs().garbage = QByteArray(TransportState::kMaxReplyBytes + 1, 'x');
             // In pieces a datagram and a bridge's buffer can carry.
             c.knobs().splitPieces = 64;
             c.knobs().splitGapMs = 10;
         },
         QStringLiteral("CAL:PRINT 001"), ExchangeOutcome::Overflow, "overflow"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange(calibrator());
        records.clear();
        const qint64 before = fake.clock.nowMs();
        const ExchangeReply reply = exchange(c.command);
        const qint64 took = fake.clock.nowMs() - before;
        ASSERT_EQ(reply.outcome, c.outcome);
        ASSERT_EQ(records.size(), 1);
        const TraceRecord &r = records.first();
        EXPECT_EQ(r.kind, TraceRecord::Kind::Exchange);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.command, c.command + QLatin1String(GetParam().commandEnd));
        EXPECT_EQ(r.reply, reply.text);
        EXPECT_TRUE(r.interface.startsWith(prefix));
        EXPECT_LE(r.durationMs, took);
        if (c.outcome == ExchangeOutcome::TimedOut)
            EXPECT_GE(r.durationMs, 5000) << "the time-out's wait is in the duration";
        const QList<TraceLine> lines = r.lines();
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0].direction, "send");
        EXPECT_EQ(lines[1].direction, "recv");
        EXPECT_TRUE(lines[1].outcome.startsWith(QLatin1String(c.word))) << lines[1].outcome.toStdString();
        EXPECT_EQ(lines[1].failed, c.outcome != ExchangeOutcome::Answered || QLatin1String(c.word) != "answered");
    }
    calibrator().knobs() = FaultKnobs();

    // A second exchange while the first waits is refused without going out: a record of its own.
    calibrator().knobs().replyDelayMs = 400;
    records.clear();
    bool tried = false;
    session.context().state().activityHook = [&](const QString &) {
        if (!tried) {
            tried = true;
            exchange(QStringLiteral("L"));
        }
    };
    exchange(QStringLiteral("SYSTEM:PASSWORD 5820316"));
    session.context().state().activityHook = nullptr;
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].outcome, ExchangeOutcome::Busy);
    EXPECT_EQ(records[0].command, "L");
    EXPECT_EQ(records[0].lines().size(), 1) << "nothing was awaited from a command never sent";
    EXPECT_EQ(records[1].outcome, ExchangeOutcome::Answered);
}

INSTANTIATE_TEST_SUITE_P(Routes, TraceRecordRoutes,
                         ::testing::Values(Route{"RS232", InterfaceRS232, "COM", "\r"},
                                           Route{"GPIB", InterfaceGPIB, "GPIB0::", ""},
                                           Route{"USB", InterfaceUSB, "USB ", "\r"},
                                           Route{"Ethernet", InterfaceEthernet, "ETH 127.0.0.", "\r"}),
                         [](const ::testing::TestParamInfo<Route> &info) { return std::string(info.param.name); });

TEST(TraceBusTest, NothingIsRecordedWhileNobodyListensAndEveryListenerHearsEachRecord)
{
    ScopedFakeClock fake;
    InstrumentSession session;
    SimulatedInstrument::Options options;
    options.settingsScope = QStringLiteral("calsetup trace test");
    QString error;
    ASSERT_TRUE(session.startSimulation(options, &error)) << error.toStdString();
    session.createDvm(QStringLiteral("5200"));
    ASSERT_TRUE(session.connect(session.simulation()->endpoint(InterfaceRS232), &error));
    TraceBus &bus = traceBus();
    EXPECT_FALSE(bus.isListened());

    int first = 0;
    int second = 0;
    const int a = bus.addListener([&](const TraceRecord &) { ++first; });
    const int b = bus.addListener([&](const TraceRecord &) { ++second; });
    EXPECT_TRUE(bus.isListened());
    session.channel().exchange({QStringLiteral("*IDN?"), true, 2, 0});
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    bus.removeListener(a);
    session.channel().exchange({QStringLiteral("*IDN?"), true, 2, 0});
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    bus.removeListener(b);
    EXPECT_FALSE(bus.isListened());
}

} // namespace
