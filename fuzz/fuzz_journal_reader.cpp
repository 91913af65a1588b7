// The change journal's reader and chain check on any file contents, and the record writer on every line it took.

#include "FuzzSupport.h"
#include "records/ChangeJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ChangeJournal::Contents contents = ChangeJournal::parse(bytes);
    FUZZ_CHECK(contents.readable);
    FUZZ_CHECK(contents.entries.size() + contents.problems.size() == contents.lineCount);
    FUZZ_CHECK(contents.lineCount == bytes.count('\n') + (bytes.isEmpty() || bytes.endsWith('\n') ? 0 : 1));
    for (const ChangeJournal::Problem &problem : contents.problems)
        FUZZ_CHECK(!problem.reason.isEmpty());

    // A line read as a record writes back to a line that reads as the same record, and that line
    // is its own fixed point: the bytes a record gives never drift.
    for (const ChangeJournal::Entry &entry : contents.entries) {
        const QByteArray line = entry.record.toLine();
        FUZZ_CHECK(!line.contains('\n'));
        JournalRecord again;
        QString reason;
        FUZZ_CHECK(JournalRecord::fromLine(line, &again, &reason));
        FUZZ_CHECK(again == entry.record);
        FUZZ_CHECK(again.toLine() == line);
    }

    const ChangeJournal::Verification check = ChangeJournal::verify(contents);
    FUZZ_CHECK(check.count == contents.lineCount);
    FUZZ_CHECK(check.intact == (check.brokenLine == 0));
    FUZZ_CHECK(check.intact || (check.brokenLine >= 1 && check.brokenLine <= check.count && !check.reason.isEmpty()));
    // Every line must be a record for the chain to hold.
    FUZZ_CHECK(!check.intact || contents.problems.isEmpty());
    FUZZ_CHECK(check.head.size() == 64);
    return 0;
}
