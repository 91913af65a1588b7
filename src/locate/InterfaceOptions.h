#pragma once

#include "instrument/Endpoint.h"
#include "locate/PortDevice.h"

#include <QList>
#include <QString>

class InstrumentSession;

/**
 * @brief What the interface options window edits: how the instrument is attached (RS-232 or
 * GPIB), its serial port or GPIB address, and its model. apply() checks a choice, points `DVM` at
 * it and stores it.
 */
class InterfaceOptions
{
public:
    /// One model the user can choose: the string CreateDVM is given and the text shown for it.
    struct Model
    {
        QString modelString;
        QString caption;
    };

    struct Choice
    {
        int interfaceType = 0; ///< InterfaceRS232 or InterfaceGPIB
        int serialPort = 0;    ///< 0 when no port is chosen
        QString gpibAddress;   ///< as typed
        QString modelString;
    };

    /// A serial port that opens, with the device behind it (its names, what the adapter is).
    struct OpenPort
    {
        int number = 0;
        PortDevice device;
        QString details; ///< device.details(), for a tooltip
    };

    enum class Outcome {
        Applied,
        InvalidSerialPort,
        InvalidGpibAddress,
        SaveFailed
    };

    explicit InterfaceOptions(InstrumentSession &session);

    /// The three families CreateDVM tells apart.
    static const QList<Model> &models();
    /// The entry of models() for a stored model string, by the rule CreateDVM applies to it.
    static int modelIndexFor(const QString &modelString);

    static constexpr int kFirstGpibAddress = 1;
    static constexpr int kLastGpibAddress = 30;

    /// The stored choice: "DVM1_Interface" (anything but GPIB reads as RS-232), "DVM1_CommPort",
    /// "DVM1_GPIBPort" and "DVM1" as the family CreateDVM would make of it.
    Choice stored();

    /// The serial ports 1 to 16 that open, the instrument's own open port included (it is
    /// counted as it stands, not closed to be tried). The serial control is left as it is.
    QList<int> openPorts();
    /// openPorts() with the details of each port's device.
    QList<OpenPort> openPortsWithDetails();

    /// Whether the choice holds: a serial port must be one of openPorts, a GPIB address a whole
    /// number from 1 to 30. Applied when it holds, otherwise what is wrong; nothing is touched.
    static Outcome check(const Choice &choice, const QList<int> &openPorts);
    /// Checks the choice and, when it holds, reconfigures `DVM` and stores the choice. Nothing
    /// changes when the choice does not hold. A failed save still leaves `DVM` on the new choice.
    Outcome apply(const Choice &choice, const QList<int> &openPorts);

    /// The message for an outcome ("" for Applied).
    static QString message(Outcome outcome);

    /// A port's device, its names, USB vendor and product id and serial number, for a tooltip.
    static QString portDetails(const QString &devicePath);

private:
    void reconfigure(const QString &modelString, const Endpoint &endpoint);

    InstrumentSession &m_session;
};
