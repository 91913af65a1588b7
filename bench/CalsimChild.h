#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

/**
 * @brief calsim serving on a pseudo-terminal in a process of its own, for the figures where the
 * instrument must keep its own time: its replies do not wait for the program's painting, nor the
 * program's work for its. Stopped when this object goes.
 */
class CalsimChild
{
public:
    /// Starts calsim --serial with the extra arguments; false with errorString() on failure.
    bool start(const QString &calsimPath, const QStringList &arguments);
    ~CalsimChild();

    QString devicePath() const { return m_device; }
    QString errorString() const { return m_error; }

private:
    QProcess m_process;
    QString m_device;
    QString m_error;
};
