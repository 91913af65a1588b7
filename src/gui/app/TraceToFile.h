#pragma once

#include "records/TraceFile.h"

#include <QObject>

#include <memory>

/**
 * @brief The windowed program's trace file: while on, every record of the program's trace goes
 * to a new file in the user's state folder, the earlier sessions' files kept beside it.
 */
class TraceToFile : public QObject
{
    Q_OBJECT
public:
    explicit TraceToFile(QObject *parent = nullptr);
    ~TraceToFile() override;

    /// Starts a new file (rotating the earlier ones) or stops; false with *error when the file
    /// cannot be made, and tracing stays off.
    bool setOn(bool on, QString *error = nullptr);
    bool isOn() const { return m_listener != 0; }
    QString currentPath() const { return m_file ? m_file->currentPath() : QString(); }

private:
    std::unique_ptr<TraceFile> m_file;
    int m_listener = 0;
};
