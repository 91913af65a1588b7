#include "platform/SerialDeviceAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString modeText(QFile::Permissions p)
{
    QString text = QStringLiteral("---------");
    const QFile::Permission bits[] = {QFile::ReadOwner, QFile::WriteOwner, QFile::ExeOwner,
                                      QFile::ReadGroup, QFile::WriteGroup, QFile::ExeGroup,
                                      QFile::ReadOther, QFile::WriteOther, QFile::ExeOther};
    const char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) {
        if (p & bits[i])
            text[i] = QLatin1Char(letters[i]);
    }
    return text;
}

bool readsAndWrites(QFile::Permissions p, QFile::Permission read, QFile::Permission write)
{
    return (p & read) && (p & write);
}

QString usermodFix(const QString &group)
{
    return QStringLiteral("sudo usermod -aG %1 $USER, then log out and in again").arg(group);
}

} // namespace

SerialDeviceAccess::Access SerialDeviceAccess::access(const SystemView &system, const QString &device)
{
    Access result;
    const QFileInfo info(system.path(device));
    result.exists = info.exists();
    if (!result.exists) {
        result.detail = QStringLiteral("not present");
        return result;
    }
    const QFile::Permissions p = info.permissions();
    const uint gid = info.groupId();
    result.group = system.nameOfGroup(gid);
    const QString owner = info.ownerId() == 0 ? QStringLiteral("root") : QString::number(info.ownerId());
    const QString mode = QStringLiteral("%1 %2:%3").arg(modeText(p), owner, result.group);

    QString why;
    if (system.uid == 0) {
        result.accessible = true;
    } else if (info.ownerId() == system.uid) {
        result.accessible = readsAndWrites(p, QFile::ReadOwner, QFile::WriteOwner);
        why = QStringLiteral("its owner (you) may not read and write it");
    } else if (system.inGroup(gid)) {
        result.accessible = readsAndWrites(p, QFile::ReadGroup, QFile::WriteGroup);
        why = QStringLiteral("its group %1 may not read and write it").arg(result.group);
    } else {
        result.accessible = readsAndWrites(p, QFile::ReadOther, QFile::WriteOther);
        why = QStringLiteral("you are not in %1").arg(result.group);
    }
    if (result.accessible) {
        result.detail = mode;
        return result;
    }

    const bool groupMayUse = readsAndWrites(p, QFile::ReadGroup, QFile::WriteGroup);
    if (groupMayUse && !system.inGroup(gid) && system.listedInGroup(result.group)) {
        // usermod has been run, but the groups of a session are fixed at its login.
        result.detail = QStringLiteral("%1, you joined %2 after this login").arg(mode, result.group);
        result.fix = QStringLiteral("log out and in again");
    } else if (groupMayUse && !system.inGroup(gid)) {
        result.detail = QStringLiteral("%1, %2").arg(mode, why);
        result.fix = usermodFix(result.group);
    } else {
        result.detail = QStringLiteral("%1, %2").arg(mode, why);
        result.fix = QStringLiteral("give the device mode 0660 in a udev rule (MODE=\"0660\", GROUP=\"dialout\") "
                                    "and join that group: %1")
                         .arg(usermodFix(QStringLiteral("dialout")));
    }
    return result;
}

QStringList SerialDeviceAccess::lockFolders()
{
    return {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")};
}

SerialDeviceAccess::Lock SerialDeviceAccess::lock(const SystemView &system, const QString &device)
{
    const QString name = QStringLiteral("LCK..") + QFileInfo(device).fileName();
    for (const QString &folder : lockFolders()) {
        const QString path = folder + QLatin1Char('/') + name;
        if (QFileInfo::exists(system.path(path)))
            return readLock(system, path);
    }
    Lock absent;
    absent.path = lockFolders().constFirst() + QLatin1Char('/') + name;
    return absent;
}

SerialDeviceAccess::Lock SerialDeviceAccess::readLock(const SystemView &system, const QString &lockPath)
{
    Lock lock;
    lock.path = lockPath;
    QFile file(system.path(lockPath));
    if (!file.open(QIODevice::ReadOnly))
        return lock;
    lock.present = true;
    // The pid in decimal, padded with spaces, on the first line; what follows (a program name,
    // a host) varies by the program that wrote it.
    lock.pid = QString::fromLatin1(file.readLine()).trimmed().toLongLong();
    if (lock.pid > 0) {
        const QString proc = QStringLiteral("/proc/%1").arg(lock.pid);
        lock.alive = QFileInfo::exists(system.path(proc));
        if (lock.alive) {
            QFile comm(system.path(proc + QStringLiteral("/comm")));
            if (comm.open(QIODevice::ReadOnly))
                lock.holder = QString::fromLocal8Bit(comm.readAll()).trimmed();
        }
    }
    return lock;
}

QString SerialDeviceAccess::removeFix(const Lock &lock)
{
    return QStringLiteral("remove %1").arg(lock.path);
}

QString SerialDeviceAccess::explainOpenFailure(const SystemView &system, const QString &device, const QString &error)
{
    const Lock held = lock(system, device);
    if (held.present && held.alive) {
        return QStringLiteral("%1 on %2: it is in use by process %3%4; close that program and try again")
            .arg(error, device, QString::number(held.pid),
                 held.holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(held.holder));
    }
    if (held.present) {
        return QStringLiteral("%1 on %2: %3 is left from a program that has ended; %4 and try again")
            .arg(error, device, held.path, removeFix(held));
    }
    const Access allowed = access(system, device);
    if (!allowed.exists || allowed.accessible)
        return error;
    if (allowed.fix.startsWith(QStringLiteral("sudo usermod"))) {
        return QStringLiteral("Permission denied on %1: add yourself to the %2 group (sudo usermod -aG %2 $USER) and "
                              "log in again")
            .arg(device, allowed.group);
    }
    return QStringLiteral("Permission denied on %1 (%2): %3").arg(device, allowed.detail, allowed.fix);
    return error;
}
