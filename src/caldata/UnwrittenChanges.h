#pragma once

#include <QString>

class CellTable;
class Prompts;

/**
 * @brief The question a table window asks before it closes over changes the instrument does not
 * have: "Discard 3 unwritten changes?", Discard or Cancel, Cancel the default so that a stray
 * Enter keeps the work.
 */
namespace UnwrittenChanges {

/// "Discard 1 unwritten change?", "Discard 37 unwritten changes?".
QString question(int count);

/// True when the window may close: nothing unwritten, or the engineer chose Discard.
bool mayClose(const CellTable &table, Prompts &prompts, const QString &title);

} // namespace UnwrittenChanges
