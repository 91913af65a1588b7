#pragma once

#include <QFile>
#include <QString>

class QTextStream;
class TraceBus;

/**
 * @brief The tool's I/O trace for one run: with --trace each record's lines on stderr, with
 * --trace-file FILE the same records as CSV rows in FILE (and not on stderr unless --trace is
 * given too). Listens to the session's trace only while one of them is asked for.
 */
class CliTrace
{
public:
    CliTrace(TraceBus &bus, bool toErr, QTextStream &err);
    ~CliTrace();

    CliTrace(const CliTrace &) = delete;
    CliTrace &operator=(const CliTrace &) = delete;

    /// Starts the CSV file with its header row; false with *error naming the file.
    bool openFile(const QString &path, QString *error);

private:
    void listen();

    TraceBus &m_bus;
    bool m_toErr;
    QTextStream &m_err;
    QFile m_file;
    int m_listener = 0;
};
