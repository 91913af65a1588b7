#pragma once

#include <QString>

/**
 * @brief Where the program keeps the records of what it did to an instrument: the change journal
 * and the snapshots of tables taken before they were replaced.
 *
 * Both live in the user's data folder, in a folder named after the settings store in use, so the
 * windowed program and the command-line tool (whose application names differ) share one journal,
 * and a simulated run keeps its own apart from a real installation's. Tests point the folder
 * elsewhere with setRootOverride or their own XDG_DATA_HOME (XDG_STATE_HOME for the state folder,
 * which the override also moves, below its root).
 */
class DataFolders
{
public:
    /// The folder that holds the journal and the snapshot folder.
    static QString root();
    /// The journal: one record per line.
    static QString journalPath();
    /// The folder the table snapshots are written into.
    static QString snapshotFolder();

    /// The user's state folder for this store: logs that may be thrown away, such as the I/O
    /// trace ($XDG_STATE_HOME/<store> on Linux, below the app-local data folder elsewhere).
    static QString stateFolder();

    /// Puts the folder at `path` in place of the user's data folder; an empty path undoes it.
    static void setRootOverride(const QString &path);
};
