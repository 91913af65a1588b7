// The ".spec" reader on any file contents, and the writer on whatever the reader made of them.

#include "FuzzSupport.h"
#include "caldata/SpecFile.h"
#include "caldata/SpecTable.h"

namespace {

/// What the program writes for the table a file reads into.
QByteArray reload(const QByteArray &bytes)
{
    SpecTable table;
    SpecFile::fill(table, bytes);
    return SpecFile::toBytes(table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QByteArray contents(reinterpret_cast<const char *>(data), qsizetype(size));

    SpecTable table;
    const SpecFile::ReadResult result = SpecFile::fill(table, contents);
    FUZZ_CHECK(result.complete == result.error.isEmpty());
    FUZZ_CHECK(result.rowsRead >= 0 && result.rowsRead < SpecTable::kMaxRows);
    // Row 0 holds the headings; the file's rows are rows 1, 2, ... and the grid has no more.
    FUZZ_CHECK(table.rowCount() == qMax(SpecTable::kInitialRows, result.rowsRead + 1));
    FUZZ_CHECK(table.columnCount() == SpecTable::kColumns);
    for (int column = 1; column < table.columnCount(); ++column)
        FUZZ_CHECK(table.text(0, column) == SpecTable::headerText(column));
    FUZZ_CHECK(!table.version().contains(QLatin1Char('\r')) && !table.version().contains(QLatin1Char('\n')));
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            FUZZ_CHECK(!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('\r'))
                       && !text.contains(QLatin1Char('\n')));
            // Every loaded figure is to be written; a label is never sent.
            if (column == 0)
                FUZZ_CHECK(table.state(row, column) == SpecTable::CellState::InStep);
            else if (!text.isEmpty())
                FUZZ_CHECK(table.state(row, column) == SpecTable::CellState::Pending);
        }
    }

    // A file the program wrote reads back to the same table: one line for the version and one
    // per row, and loading it and saving again gives the same bytes.
    const QByteArray once = SpecFile::toBytes(table);
    FUZZ_CHECK(once.count("\r\n") == table.rowCount());
    FUZZ_CHECK(reload(once) == once);
    return 0;
}
