#pragma once

#include <QString>
#include <memory>

class CommandLine;
class EthernetFront;
class InstrumentContext;
class PtyFront;
class SimGpibBus;
class VirtualCalibrator;

/**
 * @brief Points the instrument object where the command line says the instrument is, or else
 * where the saved settings say; with --simulate it first starts a virtual calibrator on a
 * pseudo-terminal and reaches it over RS-232 exactly as it would a real one.
 *
 * With --simulate and --gpib ADDRESS the virtual calibrator listens at that address on a
 * simulated GPIB bus instead, reached through the GPIB route.
 *
 * Lives for one run of the tool. A simulated run uses a settings store of its own, so a real
 * installation's settings are never read or written by it; the store in use before is restored
 * when the connection goes away.
 */
class CliConnection
{
public:
    explicit CliConnection(InstrumentContext &context);
    ~CliConnection();

    CliConnection(const CliConnection &) = delete;
    CliConnection &operator=(const CliConnection &) = delete;

    /// Creates the driver and configures its interface. Returns ExitSuccess, or the exit code
    /// with *error saying why (a usage error for a malformed option).
    int setUp(const CommandLine &line, QString *error);

    /// Where the instrument is, for messages: "RS-232 port 3 (/dev/pts/4)", "GPIB address 7", ...
    QString description() const { return m_description; }

    /// The built-in calibrator of a simulated run; nullptr otherwise.
    VirtualCalibrator *simulator() const { return m_calibrator.get(); }

    /// The settings store a simulated run uses instead of the program's own.
    static QString simulatedScope();

private:
    int useSerial(const QString &device, QString *error);
    int useEthernet(const QString &address, QString *error);
    int useGpib(const QString &address, QString *error);
    void useUsb(const QString &serialNumber, const QString &name);
    int useSavedSettings(QString *error);
    int startSimulator(QString *error);
    void startSimulatedGpib(int address);

    InstrumentContext &m_context;
    QString m_description;
    QString m_previousScope;
    bool m_scopeChanged = false;
    std::unique_ptr<VirtualCalibrator> m_calibrator;
    std::unique_ptr<PtyFront> m_front;
    std::shared_ptr<SimGpibBus> m_gpibBus;
    std::unique_ptr<EthernetFront> m_ethernetFront;
};
