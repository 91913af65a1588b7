// SplitLines and SplitString on any text: replies and history lines come off the wire unchecked.

#include "FuzzSupport.h"
#include "instrument/CommandHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    if (size < 1)
        return 0;
    // First byte: bits 0-1 the delimiter's length (0 to 3), bit 2 whether the text is UTF-8.
    const size_t delimiterLength = qMin<size_t>(data[0] & 3, size - 1);
    const bool utf8 = data[0] & 4;
    const auto *rest = reinterpret_cast<const char *>(data + 1);
    const QString delimiter = QString::fromLatin1(rest, qsizetype(delimiterLength));
    const QByteArray bytes(rest + delimiterLength, qsizetype(size - 1 - delimiterLength));
    const QString text = utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);

    const QStringList lines = SplitLines(text);
    FUZZ_CHECK(!lines.isEmpty());
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
    // Nothing but line ends and the blanks around them is lost.
    qsizetype kept = 0;
    for (const QString &line : lines)
        kept += line.size();
    FUZZ_CHECK(kept <= text.size());

    const QStringList fields = SplitString(text, delimiter);
    FUZZ_CHECK(!fields.isEmpty());
    if (!delimiter.isEmpty()) {
        for (const QString &field : fields)
            FUZZ_CHECK(!field.contains(delimiter));
    }
    return 0;
}
