#pragma once

#include <QList>
#include <QString>

#include <functional>

/**
 * @brief How the program sees this computer's devices, lock files, processes and the user it
 * runs as: a root folder that /dev, /run/lock, /etc, /proc and /usr/lib stand under, the user's
 * uid and groups, and the name of a group.
 *
 * The checks that tell a user why a port will not open read the system only through this, so a
 * test builds a whole fake system in a temporary folder and says which groups its user is in.
 */
struct SystemView
{
    /// Prefixed to every absolute path ("" on the real system).
    QString root;
    uint uid = 0;
    /// The login name, as /etc/group lists members.
    QString userName;
    /// The groups the running process has (its primary group first). A group joined after the
    /// login is not among them until the next login.
    QList<uint> groups;
    /// The name of a group number; the real system asks the group database.
    std::function<QString(uint gid)> groupName;

    /// `absolute` ("/dev/ttyUSB0") as found under the root.
    QString path(const QString &absolute) const { return root + absolute; }
    /// `prefixed` with the root taken off again, for messages.
    QString shown(const QString &prefixed) const;
    QString nameOfGroup(uint gid) const;
    bool inGroup(uint gid) const { return groups.contains(gid); }
    /// True when /etc/group lists the user in `group`: joined, though perhaps not yet logged in
    /// again since.
    bool listedInGroup(const QString &group) const;

    /// The running process on the real system.
    static SystemView current();
};
