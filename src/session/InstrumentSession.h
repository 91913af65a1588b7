#pragma once

#include "instrument/Endpoint.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/InstrumentContext.h"
#include "instrument/ethernet/EthernetModuleRecord.h"
#include "instrument/usb/UsbDeviceRecord.h"
#include "session/OperationQueue.h"
#include "session/SimulatedInstrument.h"

#include <QObject>
#include <QString>

#include <memory>

class IDVM;

/**
 * @brief The program's one instrument session: the instrument object `DVM` every window sends
 * through, what its transports share (the context), and the connection service.
 *
 * The connection service is the single place the windows, the command-line tool and the tests
 * ask "connect to what was saved", "connect to this endpoint", "save this connection" and
 * "close"; it applies and stores the connection settings, so the transports never touch them. It
 * also starts the virtual calibrator for a simulated run, the same way for both programs.
 *
 * The table operations and the procedures reach the instrument through channel(), which sends
 * each exchange to whatever driver is in use at that moment: a location window may replace the
 * driver while another window stays open.
 */
class InstrumentSession : public QObject
{
    Q_OBJECT
public:
    explicit InstrumentSession(QObject *parent = nullptr);
    ~InstrumentSession() override;

    InstrumentContext &context() { return m_context; }

    /// The instrument object (`DVM`); null until one is made.
    IDVM *dvm() const { return m_dvm.get(); }
    void setDvm(std::unique_ptr<IDVM> dvm);
    /// The driver and its connection in one line, as the change journal's records name it; empty
    /// without a driver.
    QString connectionWords() const;
    /// Makes `DVM` for a model string with CreateDVM and points it where the old one pointed (on
    /// RS-232, the serial port control's port, when there was none).
    void createDvm(const QString &model);

    /// Each exchange goes to the driver in use when it is made; with no driver, nothing is sent.
    InstrumentChannel &channel();

    /// Where the windows' instrument work runs, one operation at a time.
    OperationQueue &operations() { return m_operations; }
    /// From now on the instrument work runs on a thread of its own, and the devices (ports,
    /// sockets, bridges, the virtual calibrator) live there, so their arrivals wake the waits of
    /// that thread. Everything that reaches a device afterwards must be an operation. Call it
    /// from the windows' thread while nothing runs; the devices close first and open again on
    /// that thread when an exchange needs them.
    void useWorkThread();

    // --- connection service ---

    /// Points `DVM` at an endpoint. False, with *error, when there is no driver, the interface is
    /// unknown or the endpoint unusable.
    bool connect(const Endpoint &endpoint, QString *error = nullptr);
    /// Stores the endpoint as the connection to use next time: "DVM1_Interface" and the
    /// interface's own keys. False when the store could not be written.
    bool saveConnection(const Endpoint &endpoint);
    /// The interface "DVM1_Interface" names (RS-232 for anything unknown).
    int savedInterface();
    /// The endpoint the settings hold for an interface (for the saved one when none is named).
    Endpoint savedEndpoint(int interfaceType);
    Endpoint savedEndpoint() { return savedEndpoint(savedInterface()); }
    /// Start-up on a saved USB, Ethernet or GPIB connection: `DVM` is pointed at the saved device
    /// and asked who it is; true when the answer is one the driver accepts. Otherwise `DVM` is put
    /// back on RS-232 for the serial search, and for a saved RS-232 connection nothing is sent.
    bool connectSavedInterface();
    /// Lets go of the device `DVM` holds open (port, bridge); the endpoint stays for next time.
    void close();

    // --- the virtual calibrator ---

    /// Switches to the settings store of a simulated run (simulatedScope() unless another is
    /// named); the store in use before comes back when the session ends.
    void useSimulatedSettings(const QString &scope = {});
    /// Starts the virtual calibrator with all its fronts in place of the computer's devices, in a
    /// settings store of its own (so a real installation's settings are never read or written).
    /// False, with *error, when it could not start.
    bool startSimulation(const SimulatedInstrument::Options &options, QString *error = nullptr);
    /// The running virtual calibrator; null when the session is not simulated.
    SimulatedInstrument *simulation() const { return m_simulation.get(); }
    /// The settings store a simulated run uses instead of the program's own.
    static QString simulatedScope();

    // --- what the location windows show ---

    /// The USB bridge in use (USBDevice) and the Ethernet module in use (EthernetDevice), with
    /// what the windows found out about them.
    UsbDeviceRecord usbDevice;
    EthernetModuleRecord ethernetDevice;

signals:
    /// `DVM` was replaced or pointed elsewhere.
    void connectionChanged();

private:
    class CurrentDriverChannel;

    /// Lets go of every port, socket and bridge the drivers and the module link hold.
    void closeDevices();
    /// Moves what holds the devices (and the virtual calibrator) to thread; called on the thread
    /// they live on.
    void moveDevicesTo(QThread *thread);

    InstrumentContext m_context;
    OperationQueue m_operations;
    std::unique_ptr<IDVM> m_dvm;
    /// The driver replaced last: an exchange may still be waiting in it (events run during
    /// waits), so it lives until the next replacement.
    std::unique_ptr<IDVM> m_replacedDvm;
    std::unique_ptr<CurrentDriverChannel> m_channel;
    std::unique_ptr<SimulatedInstrument> m_simulation;
    QString m_previousScope;
};
