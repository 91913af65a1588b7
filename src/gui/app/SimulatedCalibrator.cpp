#include "gui/app/SimulatedCalibrator.h"

#include "instrument/InstrumentContext.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"
#include "sim/gpib/SimGpibBus.h"

SimulatedCalibrator::SimulatedCalibrator(const QString &model, QObject *parent)
    : QObject(parent),
      m_calibrator(new VirtualCalibrator(model, this)),
      m_front(new PtyFront(*m_calibrator, m_calibrator)),
      m_gpibBus(std::make_shared<SimGpibBus>())
{
    m_gpibBus->attach(*m_calibrator, kGpibAddress);
}

SimulatedCalibrator::~SimulatedCalibrator() = default;

bool SimulatedCalibrator::start(InstrumentContext &context)
{
    if (!m_front->isOpen() && !m_front->open())
        return false;
    context.portTable().bind(kPortNumber, m_front->devicePath());
    context.portTable().setExplicitOnly(true);
    context.gpib().setBus(m_gpibBus);
    return true;
}

QString SimulatedCalibrator::errorString() const
{
    return m_front->errorString();
}

QString SimulatedCalibrator::devicePath() const
{
    return m_front->devicePath();
}
