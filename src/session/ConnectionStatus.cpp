#include "session/ConnectionStatus.h"

#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

QString ConnectionStatus::panelText(InstrumentSession &session)
{
    IDVM *dvm = session.dvm();
    if (!dvm || dvm->GetInterfaceType() == InterfaceRS232) {
        SerialPortControl *port = session.context().dvm1Comm();
        return port && port->isOpen() ? QStringLiteral("Com%1 Open").arg(port->portNumber()) : QString();
    }
    // The description is the family's line, then the transport's (which may take two lines).
    QString transport = dvm->GetDescription().section(QLatin1String("\r\n"), 1);
    transport.replace(QLatin1Char('\r'), QLatin1Char(' '));
    transport.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return transport.simplified();
}
