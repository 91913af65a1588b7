#pragma once

#include "instrument/Endpoint.h"

#include <QObject>
#include <QString>

#include <memory>

class EthernetFront;
class InstrumentContext;
class PtyFront;
class SimGpibBus;
class SimUsbBridge;
class VirtualCalibrator;

/**
 * @brief The virtual calibrator with every front the program can reach it by, put in place of
 * the computer's own devices: a pseudo-terminal bound to serial port 1 (and the only port
 * listed), a simulated GPIB bus with the calibrator at one address, a simulated USB bridge
 * "QVSIM001" in front of it, and a simulated Ethernet-serial module on loopback that discovery
 * finds.
 *
 * Made the same way for `--simulate` in the windowed program and the command-line tool, and for
 * tests that want the whole simulated set-up. A simulated program never reaches a real
 * instrument: no real port is listed, the GPIB library is not loaded, no real bridge is listed,
 * and discovery goes to loopback.
 */
class SimulatedInstrument : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString model = QStringLiteral("5241"); ///< what the calibrator says it is
        int gpibAddress = kGpibAddress;
        /// The settings store the simulated run keeps its settings in; "" for the usual one.
        QString settingsScope;
    };

    static constexpr int kPortNumber = 1;
    static constexpr int kGpibAddress = 22;
    /// The module's data port where it is free, so pictures of the Ethernet window stay the same
    /// from run to run.
    static constexpr quint16 kEthernetDataPort = 10001;

    explicit SimulatedInstrument(const Options &options, QObject *parent = nullptr);
    ~SimulatedInstrument() override;

    /// Opens the fronts and puts them in the context's place of the real devices. False, with
    /// errorString(), when the system gives no pseudo-terminal.
    bool start(InstrumentContext &context);
    /// Takes the fronts out of the context again (the port first, then the calibrator's buses).
    void stop(InstrumentContext &context);

    /// Moves the calibrator, its fronts and its buses to thread (from the thread they live on).
    void moveTo(QThread *thread);

    QString errorString() const;
    /// The pseudo-terminal the serial port is bound to.
    QString devicePath() const;
    /// Where the calibrator is on an interface: serial port 1, its GPIB address, the bridge
    /// "QVSIM001", its Ethernet module; an empty endpoint for an interface it is not on.
    Endpoint endpoint(int interfaceType) const;
    int gpibAddress() const { return m_options.gpibAddress; }

    VirtualCalibrator &calibrator() { return *m_calibrator; }

private:
    Options m_options;
    VirtualCalibrator *m_calibrator;
    PtyFront *m_front;
    EthernetFront *m_ethernet;
    std::shared_ptr<SimGpibBus> m_gpibBus;
    std::shared_ptr<SimUsbBridge> m_usbBridge;
};
