#include "gui/app/SimulatedCalibrator.h"

#include "instrument/InstrumentContext.h"
#include "platform/Settings.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"
#include "sim/ethernet/EthernetFront.h"
#include "sim/gpib/SimGpibBus.h"

SimulatedCalibrator::SimulatedCalibrator(const QString &model, QObject *parent)
    : QObject(parent),
      m_calibrator(new VirtualCalibrator(model, this)),
      m_front(new PtyFront(*m_calibrator, m_calibrator)),
      m_gpibBus(std::make_shared<SimGpibBus>()),
      m_ethernet(new EthernetFront(*m_calibrator, m_calibrator))
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
    // The module's data port is the usual one where it is free, so pictures of the Ethernet window
    // stay the same from run to run.
    if (m_ethernet->discoveryPort() != 0 || m_ethernet->open(0, kEthernetDataPort) || m_ethernet->open())
        Settings::setValue(SettingsKey::EthernetDiscovery, m_ethernet->discoveryTarget());
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
