// "Load from Calibrator" with any reply to each "CAL:PRINT nnn" (the input's NUL-separated pieces).

#include "FuzzSupport.h"
#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    fuzz::InputPieces pieces(data, size);
    fuzz::ReplayDVM dvm(pieces);
    fuzz::SilentPrompts prompts;
    CalFactorTable table;
    CalFactorOperations operations(table, dvm, prompts);

    const CalFactorOperations::Outcome outcome = operations.loadFromCalibrator();
    FUZZ_CHECK(outcome == CalFactorOperations::Outcome::Done || outcome == CalFactorOperations::Outcome::Failed);
    FUZZ_CHECK(table.rowCount() == CalFactorTable::kRows && table.columnCount() == CalFactorTable::kColumns);
    // Factors read from the instrument are in step: nothing to write back.
    FUZZ_CHECK(table.pendingCount() == 0);
    // A failed load either cleared everything (a reply too long for its row: a half-filled grid
    // would pass for the instrument's memory) or stopped at a range without an answer, whose row
    // and every row after it hold no factor.
    const bool cleared = outcome == CalFactorOperations::Outcome::Failed && table.text(0, 1).isEmpty();
    int lastLabelled = 0;
    for (int row = 1; row < table.rowCount(); ++row) {
        if (!table.text(row, 0).isEmpty())
            lastLabelled = row;
    }
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            if (cleared) {
                FUZZ_CHECK(text.isEmpty());
            } else if (row > 0 && column > 0) {
                FUZZ_CHECK(!text.contains(QLatin1Char('\r')) && text != QLatin1String("*0"));
                if (outcome == CalFactorOperations::Outcome::Failed && row >= lastLabelled)
                    FUZZ_CHECK(text.isEmpty());
            }
        }
    }
    return 0;
}
