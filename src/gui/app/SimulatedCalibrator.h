#pragma once

#include <QObject>
#include <QString>
#include <memory>

class EthernetFront;
class InstrumentContext;
class PtyFront;
class SimGpibBus;
class VirtualCalibrator;

/**
 * @brief The virtual calibrator built into the windowed program for simulated mode: it answers
 * on a pseudo-terminal bound to a port number, so the start-up search finds it on that port as
 * it would find a real instrument.
 *
 * Only the simulated port is listed in the port table, so a simulated session never sends to
 * a real instrument on the computer's own ports. It also listens at kGpibAddress on a simulated
 * GPIB bus, which takes the place of the system's GPIB library for the session. The
 * Ethernet discovery goes to the calibrator's simulated Ethernet module on loopback, never to
 * the network.
 */
class SimulatedCalibrator : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPortNumber = 1;
    static constexpr int kGpibAddress = 22;
    static constexpr quint16 kEthernetDataPort = 10001;

    explicit SimulatedCalibrator(const QString &model = QStringLiteral("5241"), QObject *parent = nullptr);
    ~SimulatedCalibrator() override;

    /// Opens the pseudo-terminal and binds it into the context's port table. False, with
    /// errorString(), when the system gives no pseudo-terminal.
    bool start(InstrumentContext &context);
    QString errorString() const;
    QString devicePath() const;

    VirtualCalibrator &calibrator() { return *m_calibrator; }

private:
    VirtualCalibrator *m_calibrator;
    PtyFront *m_front;
    std::shared_ptr<SimGpibBus> m_gpibBus;
    EthernetFront *m_ethernet;
};
