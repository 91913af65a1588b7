#include "instrument/InstrumentChannel.h"

QString InstrumentChannel::SendString(const QString &Commandstring, bool WaitForAck, int timeout,
                                      int PacketEndCondition)
{
    QString reply = exchange({Commandstring, WaitForAck, timeout, PacketEndCondition}).conventionalText();
    reply.remove(QLatin1Char('\n'));
    return reply;
}
