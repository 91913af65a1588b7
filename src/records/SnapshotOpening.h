#pragma once

#include "records/JournalRecord.h"
#include "records/TableKind.h"

#include <QString>

#include <utility>

/**
 * @brief What opening a snapshot named in the journal says: whether the file is still the table
 * as it was kept (there, and with the SHA-256 the record gives), and how the loading went.
 *
 * A snapshot only fills a table window's grid; writing it to an instrument is that window's own
 * "Save To Calibrator". A snapshot changed since it was kept no longer shows the table as it
 * stood, so the engineer is told before it fills the grid.
 */
class SnapshotOpening
{
public:
    enum class State {
        Intact,  ///< there, with the recorded digest
        Missing, ///< gone or unreadable
        Changed  ///< its bytes are not the ones recorded
    };

    /// Reads the snapshot and compares its digest with the record's.
    static SnapshotOpening check(const FileReference &snapshot);

    State state() const { return m_state; }
    /// Why it cannot be loaded (Missing), or what changed followed by the question whether to load
    /// it all the same (Changed); empty when Intact.
    QString text() const { return m_text; }

    /// The table window a snapshot of this kind opens in: "Calibration Factors", "Specifications".
    static QString windowName(TableKind kind);
    /// Why a snapshot cannot go into its window now: the window is busy with the instrument.
    static QString busyText(TableKind kind);
    /// The line after a snapshot was handed to its window: loaded, or not (the window was busy
    /// with the instrument or could not read the file, and has said why).
    static QString outcomeText(const QString &path, TableKind kind, bool loaded);

private:
    SnapshotOpening(State state, QString text) : m_state(state), m_text(std::move(text)) {}

    State m_state;
    QString m_text;
};
