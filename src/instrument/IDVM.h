#pragma once

#include <QString>
#include <QVariant>

class SerialPortControl;

/**
 * @brief The instrument driver interface: every command of the program goes through one object
 * of this kind, which routes it to the transport of its interface type.
 *
 * Replies follow one convention: the instrument's lines each followed by CR and no LF; "*0" at
 * the start means success; "TIMEOUT" no complete reply in time; "BUSY" an exchange was already
 * running; "" nothing awaited or the port unusable.
 */
class IDVM
{
public:
    virtual ~IDVM() = default;

    /// Sends a command; with WaitForAck, waits up to `timeout` seconds of silence for the reply.
    /// PacketEndCondition 0: the first line ends the reply; 1: lines are gathered up to a "*" line.
    virtual QString SendString(const QString &Commandstring, bool WaitForAck = false, int timeout = 0,
                               int PacketEndCondition = 0) = 0;
    virtual void SetGPIBAddress(int Value) = 0;
    virtual void Initialise() = 0;
    virtual QString GetDescription() = 0;
    virtual bool CheckIdentity(const QString &id) = 0;
    virtual QString Identify() = 0;
    virtual void SetCommControl(SerialPortControl *NewCommControl) = 0;
    virtual QString Read() = 0;
    virtual void SetInterfaceType(int NewInterfaceType) = 0;
    virtual int GetInterfaceType() = 0;
    virtual QVariant SetRange(const QString &Fn, double Value) = 0;
    virtual void SetUSBDevice() = 0;
    virtual void SetEthernetDevice() = 0;
};
