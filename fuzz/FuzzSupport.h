#pragma once

// Shared pieces of the fuzz targets: a quiet, still clock, prompts that answer nothing, an
// instrument object whose transport replays replies cut from the fuzzer's input, and a harsh check.

#include "instrument/InstrumentDriver.h"
#include "instrument/Transport.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace fuzz {

/// Ends the run with a message when an invariant fails; the fuzzer keeps the input that did it.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                    \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

/// Time that only moves when a pause asks it to; nothing waits for real and nothing is scheduled
/// (a fuzz input must give the same run every time).
class StillClock : public Clock
{
public:
    qint64 nowMs() const override { return m_now; }
    QDateTime currentDateTime() const override { return QDateTime(QDate(2026, 12, 8), QTime(10, 0)).addMSecs(m_now); }
    void pause(int ms) override { m_now += qMax(0, ms); }
    void waitUntil(qint64 deadlineMs) override { m_now = qMax(m_now, deadlineMs); }
    void wake() override {}
    void schedule(int, QObject *, std::function<void()>) override {}
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

/// Every box answers its default, every file dialog is cancelled.
class SilentPrompts : public Prompts
{
public:
    Answer message(const QString &, const QString &, Icon, Buttons, Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
};

/// Hands out the pieces of the input between separator bytes, one per call; "" once it runs dry.
class InputPieces
{
public:
    InputPieces(const uint8_t *data, size_t size, char separator = '\0')
        : m_data(reinterpret_cast<const char *>(data), qsizetype(size)), m_separator(separator)
    {
    }
    bool atEnd() const { return m_from > m_data.size(); }
    QByteArray next()
    {
        if (atEnd())
            return {};
        qsizetype end = m_data.indexOf(m_separator, m_from);
        if (end < 0)
            end = m_data.size();
        const QByteArray piece = m_data.mid(m_from, end - m_from);
        m_from = end + 1;
        return piece;
    }

private:
    QByteArray m_data;
    char m_separator;
    qsizetype m_from = 0;
};

/// A transport whose every awaited reply is the next piece of the input, read as the
/// transports deliver it (Latin-1, lines joined by CR); an empty piece is a reply that did not
/// come.
class ReplayTransport : public Transport
{
public:
    explicit ReplayTransport(InputPieces &pieces) : m_pieces(pieces) {}

    bool open(const Endpoint &, QString *) override { return true; }
    void close() override {}
    ExchangeReply exchange(const ExchangeRequest &request) override
    {
        if (!request.awaitReply)
            return ExchangeReply::ended(ExchangeOutcome::NotAwaited);
        const QString reply = QString::fromLatin1(m_pieces.next());
        return reply.isEmpty() ? ExchangeReply::ended(ExchangeOutcome::LinkFailed) : ExchangeReply::answered(reply);
    }
    QList<Endpoint> endpoints() override { return {}; }
    QString descriptionLine() const override { return QStringLiteral("Replay"); }

private:
    InputPieces &m_pieces;
};

/// The real driver on a replaying transport.
class ReplayDVM : public InstrumentDriver
{
public:
    explicit ReplayDVM(InputPieces &pieces)
        : InstrumentDriver(DVM_CAL_5200, std::make_unique<ReplayTransport>(pieces), Endpoint())
    {
    }
};

/// Once per fuzzer process: no log output (it would drown the fuzzer) and the still clock.
inline StillClock &setUp()
{
    static StillClock clock;
    static const bool once = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
        setSystemClock(&clock);
        return true;
    }();
    (void)once;
    return clock;
}

} // namespace fuzz
