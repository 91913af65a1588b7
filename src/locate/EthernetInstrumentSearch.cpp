#include "locate/EthernetInstrumentSearch.h"

#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InterfaceType.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/ethernet/EthernetSettings.h"

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
    EthernetTransport &transport = m_context.ethernet();
    EthernetModuleLink &link = transport.moduleLink();
    if (!link.FindEthernetModules()) {
        addDetail(QStringLiteral("No Ethernet Devices"));
        return false;
    }
    link.selectedModuleMac.clear();
    const QList<EthernetModuleRecord> modules = link.modules;
    for (const EthernetModuleRecord &module : modules) {
        if (!module.hasAddress() || !isOurModule(module.OwnerName, module.DeviceName))
            continue;
        transport.device = module;
        // The command carries its own CR and the transport adds one more: the instrument sees an
        // empty line after the question, which it ignores.
        const QString reply = withoutTrailingLineEnds(
            transport.sendString(QStringLiteral("*IDN?\r"), true, kIdentifyTimeoutSeconds, 0));
        const QString ip = module.ipText();
        if (!isCalibratorIdentity(reply)) {
            addDetail(QStringLiteral("No Reply from Ethernet  ") + ip);
            continue;
        }
        m_context.ethernetDevice = module;
        SaveEthernetSettings(module);
        if (IDVM *dvm = m_context.dvm()) {
            dvm->SetInterfaceType(InterfaceEthernet);
            dvm->SetEthernetDevice();
        }
        addDetail(QStringLiteral("** Using Ethernet  ") + ip + QLatin1Char(' ') + reply);
        foundText += QStringLiteral("Using Ethernet  ") + reply + QLatin1String("\r\n") + ip;
        return true;
    }
    return false;
}
