#include "sim/VirtualCalibrator.h"

#include "sim/CommandGroups.h"
#include "sim/SimLog.h"

VirtualCalibrator::VirtualCalibrator(const QString &model, QObject *parent)
    : QObject(parent), m_memory(model), m_interpreter(m_memory)
{
    registerStandardCommands(m_interpreter);
}

VirtualCalibrator::~VirtualCalibrator() = default;

QByteArray VirtualCalibrator::handleLine(const QByteArray &line)
{
    const QByteArray reply = m_interpreter.execute(line);
    qCDebug(lcSim) << "heard" << line << "answers" << reply;
    return reply;
}
