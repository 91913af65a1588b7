// The ".cal" reader on any file contents, and the writer on whatever the reader made of them.

#include "FuzzSupport.h"
#include "caldata/CalFactorTable.h"
#include "caldata/CalFile.h"

namespace {

QByteArray reload(const QByteArray &bytes)
{
    CalFactorTable table;
    table.reshapeForFactors();
    CalFile::fill(table, bytes);
    FUZZ_CHECK(table.rowCount() == CalFactorTable::kRows && table.columnCount() == CalFactorTable::kColumns);
    return CalFile::toBytes(table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QByteArray contents(reinterpret_cast<const char *>(data), qsizetype(size));

    CalFactorTable table;
    table.reshapeForFactors();
    const CalFile::ReadResult result = CalFile::fill(table, contents);
    FUZZ_CHECK(result.rowsRead >= 0 && result.rowsRead <= CalFactorTable::kLastRange);
    FUZZ_CHECK(result.complete == result.error.isEmpty());
    // The headings come from the shape, never from the file.
    for (int column = 0; column < table.columnCount(); ++column)
        FUZZ_CHECK(table.text(0, column) == CalFactorTable::headerText(column));
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            FUZZ_CHECK(!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('\r'))
                       && !text.contains(QLatin1Char('\n')));
            FUZZ_CHECK(column == 0 || text.isEmpty() || table.state(row, column) == CalFactorTable::CellState::Pending);
        }
    }

    // Saving what was loaded and loading that again settles after one round: a file the program
    // wrote reads back to the same grid.
    const QByteArray once = CalFile::toBytes(table);
    FUZZ_CHECK(once.count("\r\n") == CalFactorTable::kLastRange);
    const QByteArray twice = reload(once);
    FUZZ_CHECK(reload(twice) == twice);
    return 0;
}
