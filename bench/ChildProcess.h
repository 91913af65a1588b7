#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

/**
 * @brief Runs a program as a child process and reports when a given line appeared on its
 * standard output, how long it ran and its peak resident memory (the kernel's own count).
 *
 * Qt's process class does not give the child's resource usage, so this is posix_spawn and wait4.
 */
class ChildProcess
{
public:
    struct Result
    {
        bool started = false;
        bool sawLine = false;     ///< the awaited line appeared
        double lineAtMs = 0;      ///< from spawn to the awaited line
        double exitedAtMs = 0;    ///< from spawn to its end
        int exitCode = -1;        ///< -1 when it ended by a signal or was killed
        double peakRssMb = 0;     ///< ru_maxrss of the child
        QByteArray output;        ///< its standard output
        QString error;
    };

    /// Runs program with arguments and the environment changes, waits at most timeoutMs for it to
    /// end (and kills it then). awaitedPrefix: the line whose arrival time is taken.
    static Result run(const QString &program, const QStringList &arguments,
                      const QMap<QString, QString> &environment, const QByteArray &awaitedPrefix,
                      int timeoutMs);
};
