#include "locate/EthernetLocator.h"

#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/ethernet/EthernetTransport.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
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
    emit searchedChanged(searchedText());
    m_rows.clear();
    link.selectedModuleMac.clear();
    if (!found) {
        emit modulesChanged(m_rows);
        m_prompts.message(QStringLiteral("No Devices Found"), kFindTitle, Prompts::Icon::Information);
        return false;
    }

    for (EthernetModuleRecord &module : link.modules) {
        if (module.hasAddress())
            identify(module);
    }
    listModules();
    if (selectLoneModule && link.modules.size() == 1)
        selectModule(0);
    return true;
}

void EthernetLocator::identify(EthernetModuleRecord &module)
{
    // The instrument behind each module is asked who it is, through a transport of its own:
    // the module in use stays the one the "Active Module" frame shows until another is chosen.
    EthernetTransport probe(m_session.context());
    probe.open(ethernetEndpointOf(module));
    const QString reply =
        probe.exchange({QStringLiteral("*IDN?"), true, kIdentifyTimeoutSeconds, 0}).conventionalText();
    module.IdentReply = EthernetModuleRecord::fixedLength(withoutLineEnds(reply), EthernetModuleRecord::kReplyLength);
}

void EthernetLocator::listModules()
{
    const QList<EthernetModuleRecord> &list = modules();
    m_rows.clear();
    for (int i = 0; i < list.size(); ++i) {
        const EthernetModuleRecord &module = list.at(i);
        if (!module.hasAddress())
            continue;
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
}

QString EthernetLocator::searchedText() const
{
    const QString searched = m_session.context().ethernetModules().searchedText();
    return searched.isEmpty() ? QString() : QStringLiteral("Searched: ") + searched;
}

QString EthernetLocator::discoveryTarget()
{
    return Settings::value(SettingsKey::EthernetDiscovery).trimmed();
}

bool EthernetLocator::setDiscoveryTarget(const QString &text)
{
    const QString target = text.trimmed();
    if (!target.isEmpty() && !EthernetDiscoveryTarget::parse(target)) {
        m_prompts.message(QStringLiteral("\"%1\" is not a discovery target. Give an IPv4 address with an optional "
                                         "port (ADDRESS[:PORT], e.g. 192.168.1.255 or 10.0.0.255:32767), or leave "
                                         "the box empty to search every network interface.")
                              .arg(target),
                          kFindTitle, Prompts::Icon::Warning);
        return false;
    }
    return Settings::setValue(SettingsKey::EthernetDiscovery, target);
}

bool EthernetLocator::addModuleAt(const QString &text)
{
    const QString given = text.trimmed();
    const std::optional<EthernetDiscoveryTarget> address = EthernetDiscoveryTarget::parse(given);
    if (!address || given.isEmpty()) {
        m_prompts.message(QStringLiteral("\"%1\" is not a module address. Give the module's IPv4 address, "
                                         "e.g. 192.168.1.123, with :PORT when it does not listen on %2.")
                              .arg(given)
                              .arg(EthernetDiscoveryTarget::kDefaultPort),
                          kFindTitle, Prompts::Icon::Warning);
        return false;
    }
    EthernetModuleLink &link = m_session.context().ethernetModules();
    const bool answered = link.askModuleAt(*address);
    if (!answered) {
        m_prompts.message(QStringLiteral("No module answered at %1.").arg(address->toString()), kFindTitle,
                          Prompts::Icon::Information);
        return false;
    }
    // The records of what answered there, added or refreshed, are the ones without an identity.
    for (EthernetModuleRecord &module : link.modules) {
        if (module.hasAddress() && module.foundThrough == address)
            identify(module);
    }
    listModules();
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
