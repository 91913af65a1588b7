// The soak run: many exchanges through the program's driver and serial transport with the virtual
// calibrator, faults mixed in, and the live heap measured. Disabled in the normal pass;
// scripts/soak.sh runs it in the sanitizer build, where a leak also fails the run at exit.

#include "SerialFaultFixture.h"
#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"

#include <malloc.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CALSETUP_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CALSETUP_ASAN 1
#endif
#ifdef CALSETUP_ASAN
// The sanitizer runtime's count of live heap bytes (declared here: gcc ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

/// Bytes the program holds on the heap right now. The sanitizer's count is exact; glibc's counts
/// the chunks its per-thread cache keeps as in use, so without the sanitizer run with
/// GLIBC_TUNABLES=glibc.malloc.tcache_count=0 (scripts/soak.sh --plain does).
qint64 liveHeapBytes()
{
#ifdef CALSETUP_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}

int soakExchanges()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("CALSETUP_SOAK_EXCHANGES", &ok);
    return ok && n > 0 ? n : 10000;
}

TEST_F(SerialFaultTest, DISABLED_Soak)
{
    const int total = soakExchanges();
    const int warmUp = qMin(1000, total / 10);
    qint64 heapAfterWarmUp = 0;
    int answered = 0;
    int failed = 0;
    int lastWritten = -1;
    ASSERT_TRUE(SendSystemPassword(dvm()));
    for (int i = 0; i < total; ++i) {
        if (i == warmUp)
            heapAfterWarmUp = liveHeapBytes();
        // Every 97th exchange meets a fault: noise, a lost answer or the device gone for a while.
        switch (i % 97 == 96 ? (i / 97) % 3 : -1) {
        case 0:
            sim.knobs().garbage = FaultKnobs::defaultGarbage();
            break;
        case 1:
            sim.knobs().replyDelayMs = 3000;
            break;
        case 2:
            sim.front.close();
            break;
        default:
            break;
        }
        QString reply;
        switch (i % 4) {
        case 0:
            reply =
                dvm().SendString(QStringLiteral("CAL:PRINT %1").arg(1 + i % 149, 3, 10, QLatin1Char('0')), true, 2, 1);
            break;
        case 1:
            reply = dvm().SendString(QStringLiteral("T"), true, 2, 1);
            break;
        case 2:
            reply = dvm().SendString(QStringLiteral("CALIBRATION:SETCAL 0,1,%1").arg(i), true, 2, 1);
            break;
        default:
            reply = dvm().SendString(QStringLiteral("*IDN?"), true, 2, 0);
            break;
        }
        // Everything but the identity ends with a status line.
        const bool whole = i % 4 == 3 ? reply.startsWith(QLatin1String("Quorvadine"))
                                      : Reply::isStatus(reply.section(QLatin1Char('\r'), -2));
        if (whole)
            ++answered;
        else
            ++failed;
        if (i % 4 == 2 && Reply::isSuccess(reply))
            lastWritten = i;
        if (!sim.front.isOpen()) {
            reconnect();
            ASSERT_TRUE(SendSystemPassword(dvm()));
        }
        sim.knobs().garbage.clear();
        sim.knobs().replyDelayMs = 0;
    }
    const qint64 heapAtEnd = liveHeapBytes();
    std::printf("SOAK exchanges=%d answered=%d failed=%d heap_after_warmup=%lld heap_at_end=%lld\n", total, answered,
                failed, static_cast<long long>(heapAfterWarmUp), static_cast<long long>(heapAtEnd));
    // Every fault costs at most the exchange it hit and the one after it.
    EXPECT_GE(answered, total - 2 * (total / 97 + 1));
    // The value last confirmed is in the instrument, or one written after it whose answer was lost.
    EXPECT_GE(sim.memory().factors(1)[0], lastWritten);
    EXPECT_GT(lastWritten, total / 2);
    // Nothing accumulates per exchange or per fault: a leak of even a few bytes per exchange would
    // add tens of kilobytes over the run.
    EXPECT_LT(heapAtEnd - heapAfterWarmUp, 16 * 1024);
}

} // namespace
