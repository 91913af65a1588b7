#include "instrument/serial/SerialDeviceNames.h"

#include <QDir>
#include <QFileInfo>

SerialDeviceNames::SerialDeviceNames(QString deviceRoot) : m_root(std::move(deviceRoot)) {}

QString SerialDeviceNames::kernelName(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

bool SerialDeviceNames::sameDevice(const QString &a, const QString &b)
{
    return a == b || kernelName(a) == kernelName(b);
}

bool SerialDeviceNames::exists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString SerialDeviceNames::linkIn(const QString &folder, const QString &kernel) const
{
    const QDir dir(m_root + QLatin1Char('/') + folder);
    // Sorted, so a device with two links of one kind is named the same way every time.
    const QStringList links = dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &link : links) {
        const QString path = dir.filePath(link);
        if (QFileInfo(path).isSymLink() && kernelName(path) == kernel)
            return path;
    }
    return {};
}

QString SerialDeviceNames::stableName(const QString &path) const
{
    // A stable name given already stays the one it is (a device may have two by-id links).
    if (path.startsWith(m_root + QLatin1String("/serial/")) && QFileInfo(path).isSymLink())
        return path;
    const QString kernel = kernelName(path);
    if (!exists(kernel))
        return path;
    for (const QString &folder : {QStringLiteral("serial/by-id"), QStringLiteral("serial/by-path")}) {
        const QString link = linkIn(folder, kernel);
        if (!link.isEmpty())
            return link;
    }
    return path;
}
