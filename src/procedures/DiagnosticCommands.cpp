#include "procedures/DiagnosticCommands.h"

#include "instrument/NumberFormat.h"

QString DiagnosticCommands::command(int row, double value)
{
    if (row < 0 || row >= int(kRows.size()))
        return {};
    return QString::fromLatin1(kRows[size_t(row)].prefix) + formatGeneralNumber(value);
}
