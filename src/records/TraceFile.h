#pragma once

#include "platform/TraceLine.h"

#include <QFile>
#include <QMutex>
#include <QString>

/**
 * @brief The trace of one program run in a file of its own, next to the last few runs' files, so
 * a user can send the trace of the session that went wrong.
 *
 * open() shifts the earlier files up one ("calsetup-trace.log" becomes "calsetup-trace.1.log",
 * ...), deletes what falls past the kept number, and starts a new current file. Lines go out in
 * the --trace text form, flushed line by line so a crash loses nothing written before it; write()
 * is safe from any thread.
 */
class TraceFile
{
public:
    static constexpr int kKeptFiles = 5;
    static inline const QString kBaseName = QStringLiteral("calsetup-trace");

    /// A trace file in `folder`, keeping at most `keptFiles` files (the current one included).
    explicit TraceFile(const QString &folder, int keptFiles = kKeptFiles);

    /// Rotates and opens the new current file; false with *error naming it when it cannot be made.
    bool open(QString *error = nullptr);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    void write(const QList<TraceLine> &lines);

    QString currentPath() const;
    /// The file of the n-th run before this one (1: the last session).
    QString earlierPath(int n) const;

private:
    void rotate();

    QString m_folder;
    int m_keptFiles;
    QMutex m_mutex;
    QFile m_file;
};
