#pragma once

#include "records/TableKind.h"

#include <QString>

class FormMain;

/**
 * @brief The main window's handler for File > "Change Journal...", and how the journal window's
 * "Open Snapshot" reaches the table windows: through the main window, which opens them (or
 * brings the open one forward) as its own buttons do.
 */
namespace JournalActions {

/// Opens the change journal window beside the main window, or brings the open one forward.
void showChangeJournal(FormMain &main);

/// Loads a snapshot into the "Calibration Factors" window (kind Factors) or the "Specifications"
/// window, opening it first when it is not open; nothing is read from or sent to the instrument.
/// True when the window's grid now holds the file.
bool openSnapshot(FormMain &main, const QString &path, TableKind kind);

} // namespace JournalActions
