#pragma once

#include <QHostAddress>
#include <QString>

#include <functional>

class EthernetModuleLink;
class Prompts;

/**
 * @brief The configuration of the chosen Ethernet-serial module: login, serial port and identity,
 * device name, IP address, DHCP, reboot, status LEDs, and a proposal for a free address.
 *
 * Every command goes through the module link's ModuleCommand, addressed by the module's MAC
 * address. Each sequence logs in first; a step the module does not accept ends the sequence with
 * its message (earlier steps stay done: the module has no undo). After a change of network
 * identity the module is rebooted and, after a pause for it to come back, the modules are looked
 * for again (the rediscovery callback), which leaves no module chosen unless only one answers.
 */
class EthernetModuleSetup
{
public:
    /// How long a rebooted module needs before it answers discovery again, by sequence.
    static constexpr int kInitialiseRebootPauseMs = 5000;
    static constexpr int kSetIpRebootPauseMs = 4000;
    static constexpr int kDhcpRebootPauseMs = 3000;

    EthernetModuleSetup(EthernetModuleLink &link, Prompts &prompts, std::function<void()> rediscover);

    /// "Initialise Module": the serial parameters and the identity the instrument search looks
    /// for, then reboot and rediscovery. True when every step was accepted.
    bool initialiseModule();
    /// "Setup Device Name": owner and device name only, no reboot.
    bool setupDeviceName();
    /// "Reboot": login, then "E".
    bool reboot();
    /// "Set IP": the module's new address, then reboot and rediscovery.
    bool setIp(const QString &address);
    /// "DHCP on" / "DHCP Off", then reboot and rediscovery.
    bool setDhcp(bool on);
    /// "Flash Status LEDs": nothing is shown, whatever the module says.
    void flashLeds();
    /// "Get IP": the address the module reports ("" when it would not say); shown in a message.
    QString getIp();

    /// "Generate": an address on this computer's network, a few above its own. "" and a message
    /// when this computer has no IPv4 address.
    QString generateIp();
    /// The proposal for a computer at `own`: the same first three bytes, the last byte 1 to 10
    /// above its own (randomStep 0 to 9 picks which), kept within 1 to 254 and never its own.
    /// "" when `own` is not IPv4.
    static QString proposeAddress(const QHostAddress &own, int randomStep);

private:
    enum class Test {
        FirstA,
        OnlyA
    };
    struct Step;

    /// Runs the steps in order; false after the first failure (its message shown).
    bool runSteps(std::initializer_list<Step> steps);
    bool needsChosenModule();
    /// Logs in, sends one setting (refused unless the module answers "A") and reboots the module.
    bool setAndReboot(const QString &command, const QString &failed, int pauseMs,
                      const QString &messageBeforePause = {});
    void rebootAndRediscover(int pauseMs, const QString &messageBeforePause = {});

    EthernetModuleLink &m_link;
    Prompts &m_prompts;
    std::function<void()> m_rediscover;
};
