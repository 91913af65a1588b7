#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "instrument/IDVM.h"
#include "instrument/Transport.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <gtest/gtest.h>

namespace {

/**
 * @brief An interface the program was not built with: the virtual calibrator in memory, each
 * command handed to it directly and its answer taken as the wire would bring it.
 */
class InMemoryTransport : public Transport
{
public:
    explicit InMemoryTransport(VirtualCalibrator &calibrator) : m_calibrator(calibrator) {}

    bool open(const Endpoint &endpoint, QString *) override
    {
        m_name = endpoint.address;
        return true;
    }
    void close() override {}
    ExchangeReply exchange(const ExchangeRequest &request) override
    {
        ++exchanges;
        const QByteArray answer = m_calibrator.handleLine(request.command.toLatin1());
        if (!request.awaitReply)
            return ExchangeReply::ended(ExchangeOutcome::NotAwaited);
        // The lines up to the first one that ends the reply, each closed by CR.
        QString reply;
        for (QByteArray line : answer.split('\n')) {
            line.replace('\r', QByteArray());
            if (line.isEmpty())
                continue;
            reply += QString::fromLatin1(line) + QLatin1Char('\r');
            if (request.endCondition == 0 || line.contains('*'))
                return ExchangeReply::answered(reply);
        }
        return ExchangeReply::ended(ExchangeOutcome::TimedOut);
    }
    QList<Endpoint> endpoints() override { return {}; }
    QString descriptionLine() const override { return QStringLiteral("Memory ") + m_name; }

    int exchanges = 0;

private:
    VirtualCalibrator &m_calibrator;
    QString m_name;
};

constexpr int kInMemory = kFirstAddedInterface;

// A fifth interface is one transport and one registration: the normal driver, the session and the
// factor operations use it with nothing else changed.
TEST(AddedInterface, CarriesIdentifyAFactorLoadAndASaveThroughTheNormalDriver)
{
    ScopedFakeClock fake;
    VirtualCalibrator calibrator(QStringLiteral("5241"));
    InstrumentSession session;
    InMemoryTransport *transport = nullptr;

    InterfaceRegistry::Entry inMemory;
    inMemory.type = kInMemory;
    inMemory.settingText = QStringLiteral("Memory");
    inMemory.makeTransport = [&](InstrumentContext &) -> std::unique_ptr<Transport> {
        auto made = std::make_unique<InMemoryTransport>(calibrator);
        transport = made.get();
        return made;
    };
    session.context().interfaces().add(inMemory);

    session.createDvm(QStringLiteral("5200"));
    QString error;
    ASSERT_TRUE(session.connect({kInMemory, QStringLiteral("bench A"), {}}, &error)) << error.toStdString();
    IDVM &dvm = *session.dvm();
    ASSERT_NE(transport, nullptr);
    EXPECT_EQ(dvm.GetInterfaceType(), kInMemory);
    EXPECT_EQ(dvm.GetDescription(), QStringLiteral("Quorvadine 5200\r\nMemory bench A"));
    EXPECT_TRUE(dvm.CheckIdentity(dvm.Identify().trimmed()));

    ScriptedPrompts prompts;
    CalFactorTable table;
    CalFactorOperations operations(table, session.channel(), prompts);
    ASSERT_EQ(operations.loadFromCalibrator(), OperationOutcome::Done);
    for (int range = CalFactorTable::kFirstRange; range <= CalFactorTable::kLastRange; ++range) {
        const QList<qint32> factors = calibrator.memory().factors(range);
        EXPECT_EQ(table.text(range, 1), factors.isEmpty() ? QString() : QString::number(factors.first())) << range;
    }

    const qint32 written = calibrator.memory().factors(5).at(2) + 17;
    // Factor index 2 stands in column 3.
    ASSERT_EQ(CalFactorTable::factorIndexOfColumn(3), 2);
    table.setText(5, 3, QString::number(written));
    table.setState(5, 3, CellTable::CellState::Pending);
    const CalFactorOperations::SaveSummary saved = operations.saveToCalibrator();
    EXPECT_EQ(saved.outcome, OperationOutcome::Done);
    EXPECT_EQ(saved.accepted, 1);
    EXPECT_EQ(calibrator.memory().factors(5).at(2), written);
    EXPECT_GT(transport->exchanges, 149);
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.texts().join('|').toStdString();

    // The interface's name is what the settings would call it.
    EXPECT_EQ(session.context().interfaces().settingText(kInMemory), QStringLiteral("Memory"));
    EXPECT_EQ(session.context().interfaces().typeOf(QStringLiteral("memory")), kInMemory);
}

} // namespace
