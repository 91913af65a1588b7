// The lenient date and time reader, alone and on the information reply ("T") it takes the clock from.

#include "FuzzSupport.h"
#include "procedures/LenientDate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<QDateTime> at = LenientDate::parse(text)) {
        FUZZ_CHECK(at->isValid());
        // Whatever was read can be shown in both forms the windows use.
        (void)LenientDate::displayForm(*at);
        (void)LenientDate::mediumForm(at->date());
    }
    if (const std::optional<QDateTime> clock = LenientDate::instrumentClock(text))
        FUZZ_CHECK(clock->isValid());
    return 0;
}
