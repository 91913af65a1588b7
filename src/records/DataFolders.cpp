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

QString DataFolders::stateFolder()
{
    if (!rootOverride().isEmpty())
        return QDir(rootOverride()).filePath(QStringLiteral("state"));
#if defined(Q_OS_LINUX)
    // Logs are state, not data: kept between runs but nothing a backup needs.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(Settings::scope());
#else
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(Settings::scope() + QStringLiteral("/state"));
#endif
}

void DataFolders::setRootOverride(const QString &path)
{
    rootOverride() = path;
}
