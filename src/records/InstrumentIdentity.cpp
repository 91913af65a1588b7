#include "records/InstrumentIdentity.h"

#include <QStringList>

InstrumentIdentity InstrumentIdentity::fromAnswer(const QString &answer)
{
    InstrumentIdentity id;
    id.identity = answer;
    // The transports leave the instrument's CR (and a USB answer's LF) on the reply.
    while (id.identity.endsWith(QLatin1Char('\r')) || id.identity.endsWith(QLatin1Char('\n')))
        id.identity.chop(1);
    const QStringList fields = id.identity.split(QLatin1Char(','));
    auto field = [&fields](int index) { return index < fields.size() ? fields.at(index).trimmed() : QString(); };
    id.model = field(1);
    id.serial = field(2);
    id.firmware = field(3);
    return id;
}
