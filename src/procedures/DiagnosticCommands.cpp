#include "procedures/DiagnosticCommands.h"

#include "instrument/NumberFormat.h"
#include "procedures/LeadingNumber.h"

QString DiagnosticCommands::command(int row, const QString &text)
{
    if (row < 0 || row >= int(kRows.size()))
        return {};
    return QString::fromLatin1(kRows[size_t(row)].prefix) + formatGeneralNumber(leadingNumber(text));
}
