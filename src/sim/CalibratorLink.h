#pragma once

#include "sim/ReplyDelivery.h"

#include <QByteArray>
#include <QObject>

class VirtualCalibrator;

/**
 * @brief A front's way through the calibrator and back: every command line the front hears goes
 * to the calibrator, and its answer goes out through a ReplyDelivery under the calibrator's fault
 * knobs to a sink that writes to the front's own medium.
 *
 * It reads the calibrator's knobs for every answer, so it must not outlive the calibrator (a
 * link made the calibrator's child cannot).
 */
class CalibratorLink : public QObject
{
    Q_OBJECT
public:
    CalibratorLink(VirtualCalibrator &calibrator, ReplyDelivery::Sink sink, QObject *parent = nullptr);

    VirtualCalibrator &calibrator() { return m_calibrator; }

    /// Has the calibrator answer one line (without its CR) and puts the answer on its way.
    void answer(const QByteArray &line);
    /// True when no answer is still on its way.
    bool isIdle() const { return m_delivery.isIdle(); }
    /// Drops every answer byte not yet sent.
    void cancel() { m_delivery.cancel(); }

private:
    VirtualCalibrator &m_calibrator;
    ReplyDelivery m_delivery;
};
