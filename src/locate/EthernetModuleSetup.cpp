#include "locate/EthernetModuleSetup.h"

#include "instrument/ethernet/EthernetModuleLink.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QRandomGenerator>

namespace {

const QString kSetupTitle = QStringLiteral("Ethernet Setup");
const QString kNameTitle = QStringLiteral("Set Name");
const QString kLoginFailed = QStringLiteral("Login Failed");

// The identity the instrument search looks for (owner beginning "QUORVADI", device "6481").
const QString kOwnerCommand = QStringLiteral("SONQuorvadi");
const QString kDeviceCommand = QStringLiteral("SDN6481 DMM");

} // namespace

struct EthernetModuleSetup::Step
{
    QString command;
    Test test;
    QString failure;
    Prompts::Icon icon;
    QString title;
};

EthernetModuleSetup::EthernetModuleSetup(EthernetModuleLink &link, Prompts &prompts, std::function<void()> rediscover)
    : m_link(link), m_prompts(prompts), m_rediscover(std::move(rediscover))
{
}

bool EthernetModuleSetup::runSteps(std::initializer_list<Step> steps)
{
    for (const Step &step : steps) {
        const QString reply = m_link.ModuleCommand(step.command);
        // Some sequences take any answer beginning "A"; others insist on "A" alone.
        const bool passed = step.test == Test::OnlyA ? reply == QLatin1String("A") : reply.startsWith(QLatin1Char('A'));
        if (!passed) {
            m_prompts.message(step.failure, step.title, step.icon);
            return false;
        }
    }
    return true;
}

bool EthernetModuleSetup::needsChosenModule()
{
    if (!m_link.selectedModuleMac.trimmed().isEmpty())
        return true;
    m_prompts.message(QStringLiteral("Select Target Device"), kSetupTitle, Prompts::Icon::Information);
    return false;
}

void EthernetModuleSetup::rebootAndRediscover(int pauseMs, const QString &messageBeforePause)
{
    // The module restarts at once; its answer, if any, is of no use.
    m_link.ModuleCommand(QStringLiteral("E"));
    if (!messageBeforePause.isEmpty())
        m_prompts.message(messageBeforePause, kSetupTitle, Prompts::Icon::Information);
    systemClock().pause(pauseMs);
    if (m_rediscover)
        m_rediscover();
}

bool EthernetModuleSetup::initialiseModule()
{
    const Prompts::Icon warning = Prompts::Icon::Warning;
    if (!runSteps({
            {QStringLiteral("L"), Test::FirstA, kLoginFailed, warning, kSetupTitle},
            {QStringLiteral("SBR3"), Test::FirstA, QStringLiteral("Set Baud Rate Failed"), warning, kSetupTitle},
            {QStringLiteral("SPR0"), Test::FirstA, QStringLiteral("Set Parity Failed"), warning, kSetupTitle},
            {QStringLiteral("SBB1"), Test::FirstA, QStringLiteral("Set Data Width Failed"), warning, kSetupTitle},
            {QStringLiteral("SFC0"), Test::FirstA, QStringLiteral("Set Flow Control Failed"), warning, kSetupTitle},
            {QStringLiteral("SSE1"), Test::FirstA, QStringLiteral("Enable Soft Entry Failed"), warning, kSetupTitle},
            {kOwnerCommand, Test::FirstA, QStringLiteral("Set Owner Name Failed"), warning, kNameTitle},
            {kDeviceCommand, Test::FirstA, QStringLiteral("Set Device Name Failed"), warning, kNameTitle},
        }))
        return false;
    // A module that will not take the reboot keeps its old settings running: that is no success.
    if (!reboot())
        return false;
    systemClock().pause(kInitialiseRebootPauseMs);
    if (m_rediscover)
        m_rediscover();
    m_prompts.message(QStringLiteral("Meter-Side Serial Port Setup OK"), kSetupTitle, Prompts::Icon::Information);
    return true;
}

bool EthernetModuleSetup::setupDeviceName()
{
    const Prompts::Icon warning = Prompts::Icon::Warning;
    if (!runSteps({
            {QStringLiteral("L"), Test::OnlyA, kLoginFailed, warning, kNameTitle},
            {kOwnerCommand, Test::FirstA, QStringLiteral("Set Owner Name Failed"), warning, kNameTitle},
            {kDeviceCommand, Test::FirstA, QStringLiteral("Set Device Name Failed"), warning, kNameTitle},
        }))
        return false;
    m_prompts.message(QStringLiteral("Device Name Set OK"), kSetupTitle, Prompts::Icon::Information);
    return true;
}

bool EthernetModuleSetup::reboot()
{
    if (!needsChosenModule())
        return false;
    if (!runSteps({{QStringLiteral("L"), Test::FirstA, kLoginFailed, Prompts::Icon::Warning, kSetupTitle}}))
        return false;
    m_link.ModuleCommand(QStringLiteral("E"));
    return true;
}

bool EthernetModuleSetup::setIp(const QString &address)
{
    return setAndReboot(QStringLiteral("SIP") + address.trimmed(), QStringLiteral("Set IP Failed"),
                        kSetIpRebootPauseMs);
}

bool EthernetModuleSetup::setDhcp(bool on)
{
    return setAndReboot(on ? QStringLiteral("SDH1") : QStringLiteral("SDH0"), QStringLiteral("Set DHCP Failed"),
                        kDhcpRebootPauseMs, QStringLiteral("DHCP Configuration Set\rDevice Rebooting"));
}

bool EthernetModuleSetup::setAndReboot(const QString &command, const QString &failed, int pauseMs,
                                       const QString &messageBeforePause)
{
    if (!needsChosenModule())
        return false;
    const Prompts::Icon critical = Prompts::Icon::Critical;
    if (!runSteps({
            {QStringLiteral("L"), Test::OnlyA, kLoginFailed, critical, kSetupTitle},
            {command, Test::OnlyA, failed, critical, kSetupTitle},
        }))
        return false;
    rebootAndRediscover(pauseMs, messageBeforePause);
    return true;
}

void EthernetModuleSetup::flashLeds()
{
    m_link.ModuleCommand(QStringLiteral("B"));
}

QString EthernetModuleSetup::getIp()
{
    if (!needsChosenModule())
        return {};
    if (!runSteps({{QStringLiteral("L"), Test::FirstA, kLoginFailed, Prompts::Icon::Warning, kSetupTitle}}))
        return {};
    // The module answers "A" followed by its address.
    const QString reply = m_link.ModuleCommand(QStringLiteral("GIP"));
    const QString address = reply.mid(1).trimmed();
    if (address.isEmpty()) {
        m_prompts.message(QStringLiteral("Get IP Failed"), kSetupTitle, Prompts::Icon::Warning);
        return {};
    }
    m_prompts.message(QStringLiteral("Module IP Address ") + address, kSetupTitle, Prompts::Icon::Information);
    return address;
}

QString EthernetModuleSetup::proposeAddress(const QHostAddress &own, int randomStep)
{
    bool isIpv4 = false;
    const quint32 value = own.toIPv4Address(&isIpv4);
    if (!isIpv4 || own.protocol() != QAbstractSocket::IPv4Protocol)
        return {};
    const int last = int(value & 0xffu);
    const int step = 1 + qBound(0, randomStep, 9);
    // Counting on from its own address through 1..254 only: never 0 or 255 (network and
    // broadcast), never this computer's own.
    const int proposed = ((last + step - 1) % 254) + 1;
    return QHostAddress((value & 0xffffff00u) | quint32(proposed)).toString();
}

QString EthernetModuleSetup::generateIp()
{
    const QString proposal = proposeAddress(m_link.localAddress(), int(QRandomGenerator::global()->bounded(10)));
    if (proposal.isEmpty())
        m_prompts.message(QStringLiteral("Error Generating IP Address"), Settings::applicationTitle(),
                          Prompts::Icon::None);
    return proposal;
}
