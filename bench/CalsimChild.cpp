#include "CalsimChild.h"

namespace {
constexpr int kStartMs = 10000;
}

bool CalsimChild::start(const QString &calsimPath, const QStringList &arguments, int lines)
{
    m_process.setProgram(calsimPath);
    m_process.setArguments(arguments);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    // Its first lines of output say where it serves.
    if (m_process.waitForStarted(kStartMs)) {
        while (m_lines.size() < lines) {
            while (!m_process.canReadLine() && m_process.waitForReadyRead(kStartMs)) {
            }
            if (!m_process.canReadLine())
                break;
            m_lines << QString::fromLocal8Bit(m_process.readLine()).trimmed();
        }
    }
    if (m_lines.size() < lines || m_lines.value(0).isEmpty()) {
        m_error = QStringLiteral("calsim did not start: ") + m_process.errorString();
        return false;
    }
    return true;
}

QString CalsimChild::lineAfter(const QString &prefix) const
{
    for (const QString &line : m_lines) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}

CalsimChild::~CalsimChild()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(1000);
}
