#include "locate/EthernetInstrumentSearch.h"

#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/ethernet/EthernetTransport.h"
#include "session/InstrumentSession.h"

namespace {

QString withoutTrailingLineEnds(QString text)
{
    while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace

bool EthernetInstrumentSearch::isOurModule(const QString &ownerName, const QString &deviceName)
{
    return ownerName.toUpper().startsWith(QLatin1String("QUORVADI"))
        && deviceName.toUpper().startsWith(QLatin1String("6481"));
}

bool EthernetInstrumentSearch::isCalibratorIdentity(const QString &reply)
{
    if (!reply.toUpper().contains(QLatin1String("QUORVADINE")))
        return false;
    for (const char *model : {"5251", "5241", "5210"}) {
        if (reply.contains(QLatin1String(model)))
            return true;
    }
    return false;
}

bool EthernetInstrumentSearch::run(const std::function<void(const QString &)> &addDetail, QString &foundText)
{
    EthernetModuleLink &link = m_session.context().ethernetModules();
    if (!link.FindEthernetModules()) {
        addDetail(QStringLiteral("No Ethernet Devices"));
        return false;
    }
    link.selectedModuleMac.clear();
    const QList<EthernetModuleRecord> modules = link.modules;
    for (const EthernetModuleRecord &module : modules) {
        if (!module.hasAddress() || !isOurModule(module.OwnerName, module.DeviceName))
            continue;
        // Asked through a transport of its own, so the working connection is not touched. The
        // command carries its own CR and the transport adds one more: the instrument sees an empty
        // line after the question, which it ignores.
        EthernetTransport probe(m_session.context());
        probe.open(ethernetEndpointOf(module));
        const QString reply = withoutTrailingLineEnds(
            probe.exchange({QStringLiteral("*IDN?\r"), true, kIdentifyTimeoutSeconds, 0}).conventionalText());
        const QString ip = module.ipText();
        if (!isCalibratorIdentity(reply)) {
            addDetail(QStringLiteral("No Reply from Ethernet  ") + ip);
            continue;
        }
        m_session.ethernetDevice = module;
        m_session.saveConnection(ethernetEndpointOf(module));
        if (m_session.dvm())
            m_session.connect(ethernetEndpointOf(module));
        addDetail(QStringLiteral("** Using Ethernet  ") + ip + QLatin1Char(' ') + reply);
        foundText += QStringLiteral("Using Ethernet  ") + reply + QLatin1String("\r\n") + ip;
        return true;
    }
    return false;
}
