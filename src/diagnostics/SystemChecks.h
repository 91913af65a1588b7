#pragma once

#include "diagnostics/SystemCheck.h"
#include "platform/SystemView.h"

#include <QList>
#include <QStringList>

#include <optional>

/**
 * @brief Looks over this computer for what keeps the program from reaching an instrument: serial
 * devices the user may not open, lock files left by programs that have ended, services that take
 * USB serial bridges, the bridge's udev rule, the IEEE-488.2 library, the network interfaces
 * discovery broadcasts on, and the folders the settings and records are written to.
 *
 * Every lookup goes through the Environment, so a test builds a fake system in a temporary folder.
 */
class SystemChecks
{
public:
    struct NetworkPort
    {
        QString name;           ///< "enp3s0"
        QStringList broadcasts; ///< "192.168.1.255"
    };

    struct Environment
    {
        SystemView system;
        /// Where the system's library search finds shared libraries.
        QStringList libraryFolders;
        /// The library names the GPIB loader tries, in its order.
        QStringList gpibCandidates;
        /// The interfaces that are up and can broadcast.
        QList<NetworkPort> networkPorts;
        QString settingsFolder;
        QString dataFolder;

        /// This computer and this user, or the environment put in its place.
        static Environment current();
        /// Puts `environment` in place of this computer (a test's fake system); nullopt undoes it.
        static void overrideCurrent(std::optional<Environment> environment);
    };

    explicit SystemChecks(Environment environment);

    /// Every check, in the order the report lists them.
    QList<SystemCheck> run() const;

    QList<SystemCheck> serialDevices() const;
    QList<SystemCheck> serialLocks() const;
    SystemCheck brltty() const;
    SystemCheck modemManager() const;
    SystemCheck bridgeRule() const;
    QList<SystemCheck> gpib() const;
    SystemCheck network() const;
    QList<SystemCheck> folders() const;

    /// The seat's access lists are applied from the uaccess tags by the rules file numbered 73; a
    /// tag set by a later file is never applied.
    static constexpr int kSeatRulesNumber = 73;

private:
    bool installed(const QStringList &binaries) const;
    bool running(const QString &command) const;
    /// "not installed" (false) or "installed, running|not running" in the check's detail.
    bool serviceState(const QStringList &binaries, SystemCheck *check, bool *isRunning) const;
    SystemCheck folder(const QString &name, const QString &path) const;

    Environment m_env;
};
