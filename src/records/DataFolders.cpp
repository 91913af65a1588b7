#include "records/DataFolders.h"

#include "platform/Settings.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString &rootOverride()
{
    static QString path;
    return path;
}

} // namespace

QString DataFolders::root()
{
    if (!rootOverride().isEmpty())
        return rootOverride();
    // The generic location with the store's name, not AppDataLocation: that one is named after
    // the running program, which would give the window and the command line a journal each.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(Settings::scope());
}

QString DataFolders::journalPath()
{
    return QDir(root()).filePath(QStringLiteral("journal.jsonl"));
}

QString DataFolders::snapshotFolder()
{
    return QDir(root()).filePath(QStringLiteral("snapshots"));
}

void DataFolders::setRootOverride(const QString &path)
{
    rootOverride() = path;
}
