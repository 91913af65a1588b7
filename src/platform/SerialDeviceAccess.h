#pragma once

#include "platform/SystemView.h"

#include <QString>
#include <QStringList>

/**
 * @brief Why a serial device may not open for this user, and what the user does about it: the
 * device's group and mode against the user's groups, and the lock file another program left.
 *
 * Read through a SystemView, so the same knowledge serves the diagnostics report, the port's
 * open failure message, and tests over a fake system.
 */
class SerialDeviceAccess
{
public:
    struct Access
    {
        bool exists = false;
        bool accessible = false;
        QString group;  ///< the device's group by name ("dialout")
        QString detail; ///< "crw-rw---- root:dialout, you are not in dialout"
        QString fix;    ///< empty when accessible
    };

    struct Lock
    {
        QString path; ///< "/run/lock/LCK..ttyUSB0" as the user knows it
        bool present = false;
        qint64 pid = 0; ///< 0 when the file names no process
        bool alive = false;
        QString holder; ///< the living process's name
    };

    /// Whether the user may read and write `device` ("/dev/ttyUSB0").
    static Access access(const SystemView &system, const QString &device);
    /// The lock file of `device` in the lock folders, or one not present.
    static Lock lock(const SystemView &system, const QString &device);
    /// What a lock file says: the process written in it and whether that one still runs.
    static Lock readLock(const SystemView &system, const QString &lockPath);
    /// Where lock files of serial devices are kept (/var/lock is mostly a link to /run/lock).
    static QStringList lockFolders();

    /// A stale lock's fix: "remove /run/lock/LCK..ttyUSB0".
    static QString removeFix(const Lock &lock);
    /// `error`, the port's own words for a refused open, with the cause found on this computer
    /// and its fix; `error` alone when nothing here explains it.
    static QString explainOpenFailure(const SystemView &system, const QString &device, const QString &error);
};
