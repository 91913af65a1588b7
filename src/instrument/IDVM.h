#pragma once

#include "instrument/Endpoint.h"
#include "instrument/InstrumentChannel.h"

#include <QString>
#include <QVariant>

/**
 * @brief The instrument driver interface: every command of the program goes through one object
 * of this kind, which holds one transport and knows the family of instruments it drives.
 *
 * Replies follow one convention (SendString): the instrument's lines each followed by CR and no
 * LF; "*0" at the start means success; "TIMEOUT" no complete reply in time; "BUSY" an exchange was
 * already running; "" nothing awaited or the port unusable. exchange() gives the same reply as a
 * value, with how the exchange ended.
 */
class IDVM : public InstrumentChannel
{
public:
    /// Points the driver at an endpoint, with the transport of the endpoint's interface. False,
    /// with *error, when the interface is unknown or the endpoint unusable; the driver then sends
    /// nothing until it is connected again.
    virtual bool connect(const Endpoint &endpoint, QString *error = nullptr) = 0;
    /// Where the driver is pointed: RS-232 without an address until the first connect.
    virtual Endpoint endpoint() const = 0;
    /// Lets go of the device (an open port, a bridge handle); the endpoint stays.
    virtual void close() = 0;

    virtual void Initialise() = 0;
    virtual QString GetDescription() = 0;
    virtual bool CheckIdentity(const QString &id) = 0;
    virtual QString Identify() = 0;
    virtual QString Read() = 0;
    virtual int GetInterfaceType() = 0;
    virtual QVariant SetRange(const QString &Fn, double Value) = 0;
};
