#include "CalsimChild.h"

namespace {
constexpr int kStartMs = 10000;
}

bool CalsimChild::start(const QString &calsimPath, const QStringList &arguments)
{
    m_process.setProgram(calsimPath);
    m_process.setArguments(QStringList{QStringLiteral("--serial")} + arguments);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    // Its first line of output names the device to open.
    if (m_process.waitForStarted(kStartMs)) {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(kStartMs)) {
        }
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    if (m_device.isEmpty()) {
        m_error = QStringLiteral("calsim did not start: ") + m_process.errorString();
        return false;
    }
    return true;
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
