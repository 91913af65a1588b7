// The paced line keeps its speed to the microsecond: at 960 characters a second a character takes
// 1.04 ms, and a line whose times were rounded to whole milliseconds ran slower than its speed.

#include "platform/Clock.h"
#include "sim/CommandWire.h"
#include "sim/ReplyDelivery.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <map>

namespace {

/// A virtual clock that counts microseconds and fires each wake-up exactly when it is due.
class MicrosecondClock : public Clock
{
public:
    qint64 nowMs() const override { return m_nowUs / 1000; }
    qint64 nowUs() const override { return m_nowUs; }
    QDateTime currentDateTime() const override { return QDateTime(QDate(2026, 12, 9), QTime(10, 0)).addMSecs(nowMs()); }
    void pause(int ms) override { advanceTo(m_nowUs + qint64(ms) * 1000); }
    void waitUntil(qint64 deadlineMs) override { advanceTo(deadlineMs * 1000); }
    void wake() override {}
    void schedule(int delayMs, QObject *context, std::function<void()> callback) override
    {
        scheduleAtUs(m_nowUs + qint64(qMax(0, delayMs)) * 1000, context, std::move(callback));
    }
    void scheduleAtUs(qint64 atUs, QObject *context, std::function<void()> callback) override
    {
        m_due.emplace(qMax(atUs, m_nowUs), Due{context, std::move(callback)});
    }

    void advanceTo(qint64 us)
    {
        while (!m_due.empty() && m_due.begin()->first <= us) {
            const auto next = m_due.begin();
            m_nowUs = next->first;
            const Due due = next->second;
            m_due.erase(next);
            if (due.context)
                due.callback();
        }
        m_nowUs = qMax(m_nowUs, us);
    }

private:
    struct Due
    {
        QPointer<QObject> context;
        std::function<void()> callback;
    };
    qint64 m_nowUs = 0;
    std::multimap<qint64, Due> m_due;
};

struct PacedLine
{
    qint64 writtenAtUs; ///< when the host wrote its command, not on a millisecond
    int commandChars;   ///< with its CR
    int replyChars;
};

class WireTimingTest : public ::testing::TestWithParam<PacedLine>
{
protected:
    void SetUp() override { setSystemClock(&clock); }
    void TearDown() override { setSystemClock(nullptr); }

    static qint64 exactUs(qint64 chars) { return (chars * 1000000 + 959) / 960; }

    MicrosecondClock clock;
    FaultKnobs knobs;
};

TEST_P(WireTimingTest, TheCommandIsHeardAndTheReplyEndsWhenTheirLastCharacterHasCrossed)
{
    const PacedLine line = GetParam();
    knobs.paceCharsPerSecond = 960;
    qint64 lastByteAtUs = -1;
    qsizetype received = 0;
    ReplyDelivery delivery(&knobs, [&](const QByteArray &bytes) {
        received += bytes.size();
        lastByteAtUs = clock.nowUs();
    });
    qint64 heardAtUs = -1;
    CommandWire wire(&knobs, [&](const QByteArray &) {
        heardAtUs = clock.nowUs();
        delivery.deliver(QByteArray(line.replyChars - 1, '1') + '\r');
    });

    clock.advanceTo(line.writtenAtUs);
    wire.feed(QByteArray(line.commandChars - 1, 'C') + '\r');
    clock.advanceTo(line.writtenAtUs + 10 * 1000 * 1000);

    const qint64 heardUs = line.writtenAtUs + exactUs(line.commandChars);
    EXPECT_EQ(heardAtUs, heardUs);
    EXPECT_EQ(received, line.replyChars);
    EXPECT_EQ(lastByteAtUs, heardUs + exactUs(line.replyChars));
}

INSTANTIATE_TEST_SUITE_P(Lines, WireTimingTest,
                         ::testing::Values(PacedLine{100300, 14, 26},  // a factor range read
                                           PacedLine{250999, 22, 4},   // a factor write and its "*0"
                                           PacedLine{7000, 4, 5800})); // a whole specification table

} // namespace
