#include "sim/CalibratorLink.h"

#include "sim/VirtualCalibrator.h"

CalibratorLink::CalibratorLink(VirtualCalibrator &calibrator, ReplyDelivery::Sink sink, QObject *parent)
    : QObject(parent), m_calibrator(calibrator), m_delivery(&calibrator.knobs(), std::move(sink), this)
{
}

void CalibratorLink::answer(const QByteArray &line)
{
    m_delivery.deliver(m_calibrator.handleLine(line));
}
