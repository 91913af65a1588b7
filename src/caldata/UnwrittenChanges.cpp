#include "caldata/UnwrittenChanges.h"

#include "caldata/CellTable.h"
#include "platform/Prompts.h"

QString UnwrittenChanges::question(int count)
{
    return count == 1 ? QStringLiteral("Discard 1 unwritten change?")
                      : QStringLiteral("Discard %1 unwritten changes?").arg(count);
}

bool UnwrittenChanges::mayClose(const CellTable &table, Prompts &prompts, const QString &title)
{
    const int count = table.unwrittenCount();
    if (count == 0)
        return true;
    return prompts.message(question(count), title, Prompts::Icon::Question, Prompts::Buttons::DiscardCancel,
                           Prompts::Answer::Cancel)
        == Prompts::Answer::Discard;
}
