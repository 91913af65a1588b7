#pragma once

// What the file fault tests share: whole-file reading and writing, a folder that refuses new
// files, a disk that fills up, and a stand-in for /dev/full that root may write to.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/// Makes a folder refuse new files for the life of the guard: its write bits off, and for root,
/// whom permissions do not stop, the file system's immutable flag. isReadOnly() tells whether
/// either took hold.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
        if (::geteuid() == 0)
            setImmutable(true);
        // The only sure test: try.
        QFile probe(path + QStringLiteral("/probe"));
        m_readOnly = !probe.open(QIODevice::WriteOnly);
        if (!m_readOnly)
            probe.remove();
    }
    ~ReadOnlyFolder()
    {
        if (m_immutable)
            setImmutable(false);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool isReadOnly() const { return m_readOnly; }

private:
    void setImmutable(bool on)
    {
        const int fd = ::open(m_path.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0)
                m_immutable = on;
        }
        ::close(fd);
    }

    QString m_path;
    bool m_immutable = false;
    bool m_readOnly = false;
};

/// Lets files grow to `bytes` at most while it lives, as a nearly full disk does: a write past it
/// fails with "file too large" instead of killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_ok = false;
};

/// A device that is always full: /dev/full, or for root, who may replace nodes in /dev (just what
/// a regression would do), a node of the same device in `folder`. Empty, with the reason, when
/// there is none.
inline QString fullDevice(const QString &folder, QString *why)
{
    if (::geteuid() == 0) {
        const QString node = QDir(folder).filePath(QStringLiteral("full"));
        if (::mknod(node.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
            return node;
        *why = QStringLiteral("cannot make a device node here");
        return {};
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/full"))) {
        *why = QStringLiteral("no /dev/full on this system");
        return {};
    }
    return QStringLiteral("/dev/full");
}
