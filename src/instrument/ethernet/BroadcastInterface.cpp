#include "instrument/ethernet/BroadcastInterface.h"

#include "instrument/ethernet/EthernetDiscoveryTarget.h"

#include <QNetworkInterface>

QList<BroadcastInterface> systemBroadcastInterfaces()
{
    QList<BroadcastInterface> found;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::CanBroadcast)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            const QHostAddress broadcast = entry.broadcast();
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || broadcast.isNull()
                || !EthernetDiscoveryTarget::mayReach(broadcast))
                continue;
            found.append({nic.humanReadableName(), entry.ip(), broadcast});
        }
    }
    return found;
}
