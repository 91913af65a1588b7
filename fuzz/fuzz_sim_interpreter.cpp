// The virtual calibrator's ears: any byte stream a host may send, cut into lines and answered.

#include "FuzzSupport.h"
#include "sim/LineAssembler.h"
#include "sim/RangeLayout.h"
#include "sim/VirtualCalibrator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::StillClock &clock = fuzz::setUp();
    VirtualCalibrator calibrator;
    QList<int> factorCounts;
    for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
        factorCounts << calibrator.memory().factors(range).size();

    // A small line limit so long lines and the discarding after them are reached quickly.
    LineAssembler lines(256);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &line : lines.feed(bytes)) {
        const QByteArray reply = calibrator.handleLine(line);
        // Every answer is whole lines, and no line but the last holds a "*": hosts take the
        // first line with one as the end of the answer.
        FUZZ_CHECK(reply.isEmpty() || reply.endsWith("\r\n"));
        const QList<QByteArray> replyLines = reply.chopped(qMin<qsizetype>(2, reply.size())).split('\n');
        for (qsizetype i = 0; i + 1 < replyLines.size(); ++i)
            FUZZ_CHECK(!replyLines.at(i).contains('*'));
        // A restart makes the instrument deaf for a while; let that pass between commands.
        clock.advance(calibrator.memory().rebootMs());
    }
    // Commands change values, never the shape of the memory.
    for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
        FUZZ_CHECK(calibrator.memory().factors(range).size() == factorCounts.at(range - RangeLayout::kFirstRange));
    return 0;
}
