#include "instrument/ethernet/EthernetDiscoveryTarget.h"

#include "platform/Settings.h"

std::optional<EthernetDiscoveryTarget> EthernetDiscoveryTarget::parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    EthernetDiscoveryTarget target;
    const QString host = colon < 0 ? trimmed : trimmed.left(colon);
    // Only the dotted IPv4 form: a name would need a look-up, and the modules speak IPv4 only.
    if (QHostAddress(host).protocol() != QAbstractSocket::IPv4Protocol
        || host.count(QLatin1Char('.')) != 3)
        return std::nullopt;
    target.address = QHostAddress(host);
    if (colon >= 0) {
        const QString portText = trimmed.mid(colon + 1);
        bool ok = false;
        const int port = portText.toInt(&ok);
        if (!ok || port < 1 || port > 65535 || portText.startsWith(QLatin1Char('+')))
            return std::nullopt;
        target.port = quint16(port);
    }
    return target;
}

std::optional<EthernetDiscoveryTarget> EthernetDiscoveryTarget::fromSettings()
{
    return parse(Settings::value(SettingsKey::EthernetDiscovery));
}

bool EthernetDiscoveryTarget::mayReach(const QHostAddress &address)
{
    static const bool loopbackOnly = qEnvironmentVariableIsSet("CALSETUP_LOOPBACK_ONLY");
    return !loopbackOnly || address.isLoopback();
}
