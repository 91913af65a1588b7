#include "locate/EthernetLocator.h"

#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/ethernet/EthernetTransport.h"
#include "platform/Prompts.h"
#include "session/InstrumentSession.h"

namespace {

const QString kFindTitle = QStringLiteral("Locate Ethernet Devices");

QString withoutLineEnds(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

EthernetLocator::EthernetLocator(InstrumentSession &session, Prompts &prompts, QObject *parent)
    : QObject(parent), m_session(session), m_prompts(prompts)
{
}

const QList<EthernetModuleRecord> &EthernetLocator::modules() const
{
    return m_session.context().ethernetModules().modules;
}

QString EthernetLocator::selectedModuleMac() const
{
    return m_session.context().ethernetModules().selectedModuleMac;
}

const EthernetModuleRecord &EthernetLocator::activeModule() const
{
    return m_session.ethernetDevice;
}

void EthernetLocator::loadActiveModule()
{
    m_session.ethernetDevice = ethernetRecordOf(m_session.savedEndpoint(InterfaceEthernet));
    emit activeModuleChanged(m_session.ethernetDevice);
}

QString EthernetLocator::activeNameText(const EthernetModuleRecord &module)
{
    return module.OwnerName + QLatin1Char(' ') + module.DeviceName + QLatin1String("\r\n") + module.IdentReply;
}

bool EthernetLocator::findModules(bool selectLoneModule)
{
    EthernetModuleLink &link = m_session.context().ethernetModules();

    const bool found = link.FindEthernetModules();
    m_rows.clear();
    link.selectedModuleMac.clear();
    if (!found) {
        emit modulesChanged(m_rows);
        m_prompts.message(QStringLiteral("No Devices Found"), kFindTitle, Prompts::Icon::Information);
        return false;
    }

    for (int i = 0; i < link.modules.size(); ++i) {
        EthernetModuleRecord &module = link.modules[i];
        if (!module.hasAddress())
            continue;
        // The instrument behind each module is asked who it is, through a transport of its own:
        // the module in use stays the one the "Active Module" frame shows until another is chosen.
        EthernetTransport probe(m_session.context());
        probe.open(ethernetEndpointOf(module));
        const QString reply =
            probe.exchange({QStringLiteral("*IDN?"), true, kIdentifyTimeoutSeconds, 0}).conventionalText();
        module.IdentReply =
            EthernetModuleRecord::fixedLength(withoutLineEnds(reply), EthernetModuleRecord::kReplyLength);

        Row row;
        row.moduleIndex = i;
        row.ip = module.IP;
        row.mac = module.MAC;
        row.port = QString::number(module.Port);
        row.dhcp = module.dhcpText();
        row.owner = module.OwnerName;
        row.device = module.DeviceName;
        row.reply = module.IdentReply.trimmed();
        m_rows.append(row);
    }
    emit modulesChanged(m_rows);
    if (selectLoneModule && link.modules.size() == 1)
        selectModule(0);
    return true;
}

int EthernetLocator::indexOfMac(const QString &mac) const
{
    const QString wanted = mac.trimmed();
    const QList<EthernetModuleRecord> &list = modules();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).hasAddress() && list.at(i).macText().compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool EthernetLocator::selectModule(int index)
{
    EthernetModuleLink &link = m_session.context().ethernetModules();
    if (index < 0 || index >= link.modules.size())
        return false;
    link.selectedModuleIndex = index;
    m_session.ethernetDevice = link.modules.at(index);
    link.selectedModuleMac = m_session.ethernetDevice.macText();
    emit activeModuleChanged(m_session.ethernetDevice);
    const Endpoint module = ethernetEndpointOf(m_session.ethernetDevice);
    m_session.saveConnection(module);
    if (m_session.dvm())
        m_session.connect(module);
    return true;
}

QString EthernetLocator::sendTestCommand(const QString &text)
{
    // The box's own CR goes with the text; the transport adds another, which the instrument
    // takes as an empty line.
    const QString command = withoutLineEnds(text);
    EthernetTransport transport(m_session.context());
    transport.open(ethernetEndpointOf(m_session.ethernetDevice));
    return transport
        .exchange({command + QLatin1Char('\r'), true, kIdentifyTimeoutSeconds, command == QLatin1String("pa") ? 1 : 0})
        .conventionalText();
}
