#include "sim/VirtualCalibrator.h"

#include "sim/CommandGroups.h"
#include "sim/HeardLines.h"
#include "sim/SimLog.h"

VirtualCalibrator::VirtualCalibrator(const QString &model, QObject *parent)
    : QObject(parent), m_memory(model), m_interpreter(m_memory)
{
    registerStandardCommands(m_interpreter);
}

VirtualCalibrator::~VirtualCalibrator() = default;

QByteArray VirtualCalibrator::handleLine(const QByteArray &line)
{
    if (!line.trimmed().isEmpty()) {
        ++m_commandsHeard;
        if (m_knobs.rebootAtCommand > 0 && m_commandsHeard == m_knobs.rebootAtCommand) {
            qCDebug(lcSim) << "restarts instead of carrying out" << line;
            return m_interpreter.execute("SYSTEM:REBOOT");
        }
    }
    QByteArray reply = m_interpreter.execute(line);
    if (m_knobs.silentFromCommand > 0 && m_commandsHeard >= m_knobs.silentFromCommand)
        reply.clear();
    if (!HeardLines::tell(line, reply))
        qCDebug(lcSim) << "heard" << line << "answers" << reply;
    return reply;
}
