#pragma once

#include <QString>

class CommandLine;
class InstrumentSession;

/**
 * @brief Reads the command line's connection options and has the instrument session connect
 * where they say the instrument is, or else where the saved settings say; with --simulate the
 * session first starts the virtual calibrator, reached over RS-232 on its pseudo-terminal exactly
 * as a real instrument would be, or over its simulated USB bridge (--usb QVSIM001) or GPIB bus
 * (--gpib ADDRESS, where the calibrator then listens).
 *
 * Lives for one run of the tool; what it checks and how it describes the connection are the
 * tool's own, the connecting is the session's.
 */
class CliConnection
{
public:
    explicit CliConnection(InstrumentSession &session);

    /// Creates the driver and connects it. Returns ExitSuccess, or the exit code with *error
    /// saying why (a usage error for a malformed option).
    int setUp(const CommandLine &line, QString *error);

    /// Where the instrument is, for messages: "RS-232 port 3 (/dev/pts/4)", "GPIB address 7", ...
    QString description() const { return m_description; }

private:
    int useSerial(const QString &device, QString *error);
    int useEthernet(const QString &address, QString *error);
    int useGpib(const QString &address, QString *error);
    void useUsb(const QString &serialNumber, const QString &name);
    int useSavedSettings(QString *error);
    int startSimulator(const CommandLine &line, QString *error);

    InstrumentSession &m_session;
    QString m_description;
};
