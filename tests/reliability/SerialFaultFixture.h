#pragma once

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "fixtures/FakeClock.h"
#include "fixtures/LastExchange.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/Reply.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"
#include "sim/RangeLayout.h"

#include <gtest/gtest.h>

/// Names the fault a test injects and what the program must do about it; the reliability report
/// (scripts/reliability-report.sh) lists every test by these two texts.
inline void describeCase(const char *fault, const char *expected)
{
    ::testing::Test::RecordProperty("fault", fault);
    ::testing::Test::RecordProperty("expected", expected);
}

/**
 * @brief The program's own driver and serial transport against the virtual calibrator on a
 * pseudo-terminal, with the calibration-factor grid and its operations, on virtual time.
 */
class SerialFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        // Between two commands nothing is in flight, so pacing pauses need no real settling.
        fake.clock.pauseSettleMs = 1;
        session.context().portTable().bind(1, sim.devicePath());
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.context().dvm1Comm()->setPortNumber(1);
        session.dvm()->connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
    }

    CalFactorOperations operations()
    {
        CalFactorOperations::Hooks hooks;
        hooks.status = [this](const QString &text) { statuses << text; };
        // The fault cases count the write protocol's lines; the read-back has cases of its own.
        CalFactorOperations ops(table, *session.dvm(), prompts, hooks);
        ops.setVerifyWrites(false);
        return ops;
    }

    IDVM &dvm() { return *session.dvm(); }

    /// The instrument comes back on a new device, as after a cable is plugged in again.
    void reconnect()
    {
        ASSERT_TRUE(sim.front.open()) << sim.front.errorString().toStdString();
        session.context().portTable().bind(1, sim.devicePath());
    }

    /// Calls action when the n-th line (counting from 1 from now) reaches the instrument, before
    /// it is answered.
    void onLine(int n, std::function<void()> action)
    {
        auto heard = std::make_shared<int>(0);
        QObject::connect(&sim.front, &PtyFront::lineReceived, &sim.front,
                         [heard, n, action = std::move(action)](const QByteArray &line) {
                             if (!line.trimmed().isEmpty() && ++*heard == n)
                                 action();
                         });
    }

    /// Makes `count` cells pending with values the instrument does not hold yet, in grid order,
    /// and returns their (range, factor index, value).
    struct Edit
    {
        int range;
        int index;
        qint32 value;
    };
    QList<Edit> editCells(int count)
    {
        QList<Edit> edits;
        table.reshapeForFactors();
        for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange && edits.size() < count; ++range) {
            const QList<qint32> factors = sim.memory().factors(range);
            table.setText(range, 0, CalFactorTable::rangeLabel(range));
            for (int index = 0; index < factors.size() && edits.size() < count; ++index) {
                const qint32 value = factors[index] + 1000 + qint32(edits.size());
                table.setCell(range, index + 1, QString::number(value), CalFactorTable::CellState::Pending);
                edits.append({range, index, value});
            }
        }
        return edits;
    }

    bool instrumentHolds(const Edit &e) { return sim.memory().factors(e.range).value(e.index) == e.value; }
    CalFactorTable::CellState stateOf(const Edit &e) const { return table.state(e.range, e.index + 1); }

    ScopedFakeClock fake;
    SimPty sim;
    InstrumentSession session;
    LastExchange last{session.context()};
    CalFactorTable table;
    ScriptedPrompts prompts;
    QStringList statuses;
};
