#pragma once

#include "instrument/TransportState.h"
#include "instrument/ethernet/EthernetTransport.h"
#include "instrument/gpib/GpibTransport.h"
#include "instrument/serial/PortTable.h"
#include "instrument/serial/SerialTransport.h"
#include "instrument/usb/UsbTransport.h"

#include <QObject>
#include <memory>

class IDVM;
class SerialPortControl;

/**
 * @brief The one place that holds the program's link to its instrument: the transports with their
 * shared state, the serial port control, the port table and the instrument object `DVM`.
 *
 * The windows and the command-line tool each make one and hand it down; nothing below reaches for
 * a global.
 */
class InstrumentContext : public QObject
{
    Q_OBJECT
public:
    explicit InstrumentContext(QObject *parent = nullptr);
    ~InstrumentContext() override;

    TransportState &state() { return m_state; }
    PortTable &portTable() { return m_portTable; }
    /// The serial port control the drivers are given (the main window's DVM1Comm).
    SerialPortControl *dvm1Comm() { return m_dvm1Comm; }

    SerialTransport &serial() { return m_serial; }
    GpibTransport &gpib() { return m_gpib; }
    UsbTransport &usb() { return m_usb; }
    EthernetTransport &ethernet() { return m_ethernet; }

    /// The global USB device record and Ethernet module record that SetUSBDevice and
    /// SetEthernetDevice copy into a driver.
    UsbDeviceRecord usbDevice;
    EthernetModuleRecord ethernetDevice;

    /// The instrument object every window sends through.
    IDVM *dvm() const { return m_dvm.get(); }
    void setDvm(std::unique_ptr<IDVM> dvm);

private:
    TransportState m_state;
    PortTable m_portTable;
    SerialPortControl *m_dvm1Comm;
    SerialTransport m_serial;
    GpibTransport m_gpib;
    UsbTransport m_usb;
    EthernetTransport m_ethernet;
    std::unique_ptr<IDVM> m_dvm;
};

/// Makes the driver for a model string: "6400" -> DVM_6481, "5600" -> DVM_CAL_5600,
/// "5200" -> DVM_CAL_5200, anything else -> DVM_6481. The first test that holds decides.
std::unique_ptr<IDVM> CreateDVM(const QString &model, InstrumentContext &context);
