// The calibration history parser ("CALIBRATION:HISTORY") on any reply, and the list built from it.

#include "FuzzSupport.h"
#include "procedures/CalibrationHistory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QString reply = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const CalibrationHistory history = CalibrationHistory::parse(reply);
    FUZZ_CHECK(history.upperBound() >= 1);
    FUZZ_CHECK(history.upperBound() == qMax(1, history.dateLineCount()));
    const QStringList lines = history.listLines();
    FUZZ_CHECK(lines.size() == history.upperBound());
    for (int line = -1; line <= lines.size(); ++line) {
        const std::optional<QStringList> items = history.rangeItemsAtLine(line);
        FUZZ_CHECK(items.has_value() == (line >= 0 && line < lines.size()));
        if (items)
            FUZZ_CHECK(items->size() < CalEvent::kRangeSlots);
    }
    return 0;
}
