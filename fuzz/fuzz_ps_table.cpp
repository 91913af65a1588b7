// The specification table's "ps" reply on any text: only rows numbered on from 1 are taken in.

#include "FuzzSupport.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "instrument/CommandHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QString reply = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    SpecTable table;
    const int rows = SpecOperations::takeTable(table, reply);
    FUZZ_CHECK(rows >= 0 && rows < table.rowCount());
    FUZZ_CHECK(table.rowCount() == qMax(SpecTable::kInitialRows, rows + 1));
    FUZZ_CHECK(table.columnCount() == SpecTable::kColumns);
    for (int column = 1; column < table.columnCount(); ++column)
        FUZZ_CHECK(table.text(0, column) == SpecTable::headerText(column));

    // Each row comes from its own line "R" + its number in three digits, so never more rows than
    // such lines.
    int rowLines = 0;
    for (const QString &line : SplitLines(reply))
        rowLines += trimBlanks(line).startsWith(QLatin1Char('R')) ? 1 : 0;
    FUZZ_CHECK(rows <= rowLines);

    for (int row = 1; row < table.rowCount(); ++row) {
        if (row > rows) {
            for (int column = 0; column < table.columnCount(); ++column)
                FUZZ_CHECK(table.text(row, column).isEmpty());
            continue;
        }
        // A row is shown under its own number, never under another row's.
        FUZZ_CHECK(table.text(row, 0).startsWith(QStringLiteral("R%1").arg(row, 3, 10, QLatin1Char('0'))));
        for (int column = 0; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            FUZZ_CHECK(!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('\r'))
                       && !text.contains(QLatin1Char('\n')));
            // Read from the instrument: nothing to write back.
            FUZZ_CHECK(table.state(row, column) == SpecTable::CellState::InStep);
            // Figures are shown in their settled form: taking a shown figure again changes nothing.
            if (column > 0)
                FUZZ_CHECK(SpecOperations::figureText(text) == text);
        }
    }
    return 0;
}
