#pragma once

#include "instrument/Exchange.h"
#include "instrument/InterfaceRegistry.h"
#include "instrument/TransportState.h"
#include "instrument/serial/PortTable.h"
#include "instrument/usb/UsbBridgeAccess.h"

#include <QObject>

#include <functional>
#include <memory>

class EthernetModuleLink;
class Gpib488;
class IDVM;
class SerialPortControl;
class Transport;

/**
 * @brief What every transport shares and where it finds the computer's devices: the pacing and
 * activity state, the serial port control with its port table, the USB bridge library, the GPIB
 * library (or bus), the Ethernet module command socket, and the registry of interfaces.
 *
 * The instrument session owns one; a driver is made with it and takes its transport from it.
 * The virtual calibrator's fronts take the place of the real devices here (setGpibBus, the USB
 * bridge, port bindings) so that a simulated program never reaches real instruments.
 */
class InstrumentContext : public QObject
{
    Q_OBJECT
public:
    explicit InstrumentContext(QObject *parent = nullptr);
    ~InstrumentContext() override;

    TransportState &state() { return m_state; }
    PortTable &portTable() { return m_portTable; }
    /// The serial port control every RS-232 transport uses (the main window's DVM1Comm).
    SerialPortControl *dvm1Comm() { return m_dvm1Comm; }
    /// The USB bridge library and its device listing.
    UsbBridgeAccess &usb() { return m_usb; }
    /// The GPIB bus: the system's IEEE-488.2 library, loaded on first use, until another is set.
    Gpib488 &gpibBus();
    void setGpibBus(std::shared_ptr<Gpib488> bus);
    /// Discovery and configuration of the Ethernet-serial modules (UDPCommand).
    EthernetModuleLink &ethernetModules() { return *m_ethernetModules; }

    InterfaceRegistry &interfaces() { return m_interfaces; }
    /// A new transport for an interface; null for one that is not registered.
    std::unique_ptr<Transport> makeTransport(int interfaceType);

    /// Hears every exchange of every driver made with this context, as it ends: what was asked
    /// and how it went. The command-line tool learns from it why a command got no answer.
    using ExchangeObserver = std::function<void(const ExchangeRequest &, const ExchangeReply &)>;
    void setExchangeObserver(ExchangeObserver observer) { m_exchangeObserver = std::move(observer); }
    void exchangeFinished(const ExchangeRequest &request, const ExchangeReply &reply) const
    {
        if (m_exchangeObserver)
            m_exchangeObserver(request, reply);
    }

private:
    TransportState m_state;
    PortTable m_portTable;
    SerialPortControl *m_dvm1Comm;
    UsbBridgeAccess m_usb;
    std::shared_ptr<Gpib488> m_gpibBus;
    std::unique_ptr<EthernetModuleLink> m_ethernetModules;
    InterfaceRegistry m_interfaces;
    ExchangeObserver m_exchangeObserver;
};

/// Makes the driver for a model string: "6400" -> DVM_6481, "5600" -> DVM_CAL_5600,
/// "5200" -> DVM_CAL_5200, anything else -> DVM_6481. The first test that holds decides. The
/// driver starts on RS-232, not yet pointed at a port.
std::unique_ptr<IDVM> CreateDVM(const QString &model, InstrumentContext &context);
