#include "fixtures/FakeClock.h"
#include "fixtures/PtyPeer.h"
#include "fixtures/SimPty.h"
#include "instrument/TraceBus.h"
#include "instrument/serial/PortTable.h"
#include "locate/IdentifyProbe.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

/// Where the probed port leads.
enum class Far {
    Calibrator,
    Silent,
    Nothing
};

struct ProbeTraceCase
{
    const char *name;
    Far far;
    ExchangeOutcome outcome;
    QString command; ///< with the CR when the query went out
    bool awaited;
};

/// One probe of port 4 with the trace listened to, against the virtual calibrator, a port that
/// never answers, or a device that is not there.
class IdentifyProbeTrace : public ::testing::TestWithParam<ProbeTraceCase>
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.isOpen() && silent.isOpen()); }

    /// Probes port 4 to its end and returns the records published meanwhile.
    QList<TraceRecord> probe(const QString &device, bool listened)
    {
        table.bind(4, device);
        QList<TraceRecord> records;
        const int id = listened ? traceBus().addListener([&records](const TraceRecord &r) { records << r; }) : 0;
        IdentifyProbe probe(&table, 4);
        QObject::connect(&probe, &IdentifyProbe::finished, [this] { fake.clock.wake(); });
        probe.start();
        // The identification wait and a margin: the probe ends well before, by reply or time-out.
        const qint64 deadline = fake.clock.nowMs() + 5000;
        while (!probe.isFinished() && fake.clock.nowMs() < deadline)
            fake.clock.waitUntil(deadline);
        EXPECT_TRUE(probe.isFinished());
        if (listened)
            traceBus().removeListener(id);
        return records;
    }

    QString device(Far far) const
    {
        switch (far) {
        case Far::Calibrator:
            return sim.devicePath();
        case Far::Silent:
            return silent.devicePath();
        case Far::Nothing:
            break;
        }
        return QStringLiteral("/nonexistent/calsetup-test/port4");
    }

    ScopedFakeClock fake;
    SimPty sim;
    PtyPeer silent;
    PortTable table;
};

TEST_P(IdentifyProbeTrace, OneRecordPerProbeWithThePortTheQueryAndTheOutcome)
{
    const ProbeTraceCase &c = GetParam();
    const QString path = device(c.far);
    const QList<TraceRecord> records = probe(path, true);
    ASSERT_EQ(records.size(), 1);
    const TraceRecord &r = records.first();
    EXPECT_EQ(r.kind, TraceRecord::Kind::Exchange);
    EXPECT_EQ(r.interface, QStringLiteral("COM4 ") + path);
    EXPECT_EQ(r.command, c.command);
    EXPECT_EQ(r.awaited, c.awaited);
    EXPECT_EQ(r.outcome, c.outcome);
    if (c.outcome == ExchangeOutcome::Answered)
        EXPECT_TRUE(r.reply.startsWith(QString::fromLatin1(sim.memory().model()).prepend("Quorvadine,")))
            << r.reply.toStdString();
    else
        EXPECT_TRUE(r.reply.isEmpty()) << r.reply.toStdString();
    // Nothing went on the line, so the reason why is given.
    EXPECT_EQ(r.detail.isEmpty(), c.outcome != ExchangeOutcome::OpenFailed);
    EXPECT_TRUE(r.failed() == (c.outcome != ExchangeOutcome::Answered));

    // Nobody listening: nothing is made, and the probe ends the same way.
    EXPECT_TRUE(probe(path, false).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Probes, IdentifyProbeTrace,
    ::testing::Values(ProbeTraceCase{"Answered", Far::Calibrator, ExchangeOutcome::Answered, "*IDN?\r", true},
                      ProbeTraceCase{"Silent", Far::Silent, ExchangeOutcome::TimedOut, "*IDN?\r", true},
                      ProbeTraceCase{"WillNotOpen", Far::Nothing, ExchangeOutcome::OpenFailed, "*IDN?", false}),
    [](const ::testing::TestParamInfo<ProbeTraceCase> &info) { return std::string(info.param.name); });

} // namespace
