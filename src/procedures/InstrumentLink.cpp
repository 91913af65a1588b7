#include "procedures/InstrumentLink.h"

#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"

IDVM *InstrumentLink::dvm() const
{
    return m_context.dvm();
}

QString InstrumentLink::send(const QString &command, bool waitForAck, int timeout, int packetEndCondition) const
{
    IDVM *instrument = m_context.dvm();
    if (!instrument)
        return {};
    return instrument->SendString(command, waitForAck, timeout, packetEndCondition);
}
