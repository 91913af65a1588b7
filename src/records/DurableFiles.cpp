#include "records/DurableFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

QString DurableFiles::sha256Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

bool DurableFiles::makeFolder(const QString &folder, QString *error)
{
    errno = 0;
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir())
        return true;
    const int cause = errno;
    if (error) {
        // The part of the path that stands in the way says more than the folder asked for.
        QString blocking = folder;
        while (!QFileInfo::exists(blocking) && QFileInfo(blocking).dir().path() != blocking)
            blocking = QFileInfo(blocking).dir().path();
        QString why = cause ? QString::fromLocal8Bit(std::strerror(cause)) : QStringLiteral("it could not be made");
        if (QFileInfo(blocking).exists() && !QFileInfo(blocking).isDir())
            why = QStringLiteral("%1 is a file, not a folder").arg(blocking);
        *error = QStringLiteral("cannot make the folder %1: %2").arg(folder, why);
    }
    return false;
}

bool DurableFiles::syncToDisk(QFileDevice &file, QString *cause)
{
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) == 0)
        return true;
    if (cause)
        *cause = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#else
    // Elsewhere the system's cache is trusted to reach the disk.
    if (file.flush())
        return true;
    if (cause)
        *cause = file.errorString();
    return false;
#endif
}

void DurableFiles::syncFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(folder);
#endif
}
