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
    /// Starts calsim with the arguments (--serial, --ethernet, ...) and reads the first
    /// `lines` lines it prints (where it serves); false with errorString() on failure.
    bool start(const QString &calsimPath, const QStringList &arguments, int lines = 1);
    /// calsim of `model` on a pseudo-terminal that carries `charsPerSecond` characters a second
    /// both ways, as a paced serial line would.
    bool startPacedSerial(const QString &calsimPath, const QString &model, int charsPerSecond)
    {
        return start(calsimPath,
                     {QStringLiteral("--serial"), QStringLiteral("--model"), model, QStringLiteral("--pace"),
                      QString::number(charsPerSecond)});
    }
    ~CalsimChild();

    /// With --serial the first line: the device to open.
    QString devicePath() const { return m_lines.value(0); }
    /// The line that starts with prefix ("module "), without the prefix; "" when none did.
    QString lineAfter(const QString &prefix) const;
    QString errorString() const { return m_error; }

private:
    QProcess m_process;
    QStringList m_lines;
    QString m_error;
};
