#include "diagnostics/SystemChecks.h"

#include "diagnostics/UdevRules.h"
#include "instrument/gpib/GpibLibrary.h"
#include "platform/SerialDeviceAccess.h"
#include "platform/Settings.h"
#include "records/DataFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <utility>

namespace {

QStringList devices(const SystemView &system, const QStringList &patterns)
{
    const QDir dev(system.path(QStringLiteral("/dev")));
    QStringList found;
    for (const QString &name : dev.entryList(patterns, QDir::System | QDir::Files, QDir::Name))
        found << QStringLiteral("/dev/") + name;
    // ttyS10 after ttyS9.
    std::sort(found.begin(), found.end(),
              [](const QString &a, const QString &b) { return a.size() != b.size() ? a.size() < b.size() : a < b; });
    return found;
}

SystemCheck deviceCheck(const SystemView &system, const QString &name, const QString &device)
{
    const SerialDeviceAccess::Access access = SerialDeviceAccess::access(system, device);
    return {name, access.accessible, access.detail, access.fix};
}

QString ruleWhere(const UdevRules::Line &line)
{
    return line.file;
}

std::optional<SystemChecks::Environment> &overridden()
{
    static std::optional<SystemChecks::Environment> environment;
    return environment;
}

} // namespace

SystemChecks::SystemChecks(Environment environment) : m_env(std::move(environment)) {}

void SystemChecks::Environment::overrideCurrent(std::optional<Environment> environment)
{
    overridden() = std::move(environment);
}

SystemChecks::Environment SystemChecks::Environment::current()
{
    if (overridden())
        return *overridden();
    Environment env;
    env.system = SystemView::current();
    for (const QString &folder : qEnvironmentVariable("LD_LIBRARY_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        env.libraryFolders << folder;
    env.libraryFolders << QStringLiteral("/usr/local/lib");
    // The multiarch folders (/usr/lib/x86_64-linux-gnu) before the plain ones, as the loader's
    // cache lists them.
    for (const QString &base : {QStringLiteral("/usr/lib"), QStringLiteral("/lib")}) {
        for (const QString &name : QDir(base).entryList({QStringLiteral("*-linux-gnu*")}, QDir::Dirs))
            env.libraryFolders << base + QLatin1Char('/') + name;
    }
    env.libraryFolders << QStringLiteral("/usr/lib64") << QStringLiteral("/usr/lib") << QStringLiteral("/lib64")
                       << QStringLiteral("/lib");
    env.gpibCandidates = GpibLibrary::defaultCandidates();
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || !(flags & QNetworkInterface::CanBroadcast) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        NetworkPort port{nic.humanReadableName(), {}};
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            if (!entry.broadcast().isNull())
                port.broadcasts << entry.broadcast().toString();
        }
        if (!port.broadcasts.isEmpty())
            env.networkPorts << port;
    }
    env.settingsFolder = QFileInfo(Settings::storePath()).absolutePath();
    env.dataFolder = DataFolders::root();
    return env;
}

QList<SystemCheck> SystemChecks::run() const
{
    QList<SystemCheck> all = serialDevices();
    all += serialLocks();
    all << brltty() << modemManager() << bridgeRule();
    all += gpib();
    all << network();
    all += folders();
    return all;
}

QList<SystemCheck> SystemChecks::serialDevices() const
{
    const SystemView &system = m_env.system;
    // The names udev gives the adapters by their serial number, to say which device is which.
    QMultiHash<QString, QString> byId;
    const QDir links(system.path(QStringLiteral("/dev/serial/by-id")));
    for (const QFileInfo &link : links.entryInfoList(QDir::System | QDir::Files)) {
        if (link.isSymLink())
            byId.insert(system.shown(link.canonicalFilePath()), link.fileName());
    }

    QList<SystemCheck> checks;
    for (const QString &device : devices(system, {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")})) {
        SystemCheck check = deviceCheck(system, QStringLiteral("serial ") + device, device);
        const QStringList names = byId.values(device);
        if (!names.isEmpty())
            check.detail += QStringLiteral(" (%1)").arg(names.join(QStringLiteral(", ")));
        checks << check;
    }
    // A computer has many built-in ports of one group and mode; one line says it for all of them.
    const QStringList builtIn = devices(system, {QStringLiteral("ttyS*")});
    if (!builtIn.isEmpty()) {
        SystemCheck summary = deviceCheck(system, QString(), builtIn.constFirst());
        for (const QString &device : builtIn) {
            const SystemCheck one = deviceCheck(system, QString(), device);
            if (!one.ok) {
                summary = one;
                break;
            }
        }
        summary.name = builtIn.size() == 1 ? QStringLiteral("serial ") + builtIn.constFirst()
                                           : QStringLiteral("serial /dev/ttyS* (%1 ports)").arg(builtIn.size());
        checks << summary;
    }
    if (checks.isEmpty())
        checks << SystemCheck{QStringLiteral("serial devices"), true, QStringLiteral("none present"), {}};
    return checks;
}

QList<SystemCheck> SystemChecks::serialLocks() const
{
    QList<SystemCheck> checks;
    QSet<QString> seen;
    for (const QString &folder : SerialDeviceAccess::lockFolders()) {
        const QDir dir(m_env.system.path(folder));
        // /var/lock is mostly a link to /run/lock: one file, listed once.
        const QString real = dir.canonicalPath();
        if (real.isEmpty() || seen.contains(real))
            continue;
        seen.insert(real);
        for (const QString &name : dir.entryList({QStringLiteral("LCK..*")}, QDir::Files, QDir::Name)) {
            const SerialDeviceAccess::Lock lock =
                SerialDeviceAccess::readLock(m_env.system, folder + QLatin1Char('/') + name);
            SystemCheck check{QStringLiteral("lock ") + lock.path, true, {}, {}};
            if (lock.alive) {
                check.detail = QStringLiteral("/dev/%1 in use by process %2%3")
                                   .arg(name.mid(5), QString::number(lock.pid),
                                        lock.holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(lock.holder));
            } else {
                check.ok = false;
                check.detail = lock.pid > 0 ? QStringLiteral("left by process %1, which has ended").arg(lock.pid)
                                            : QStringLiteral("names no process");
                check.fix = SerialDeviceAccess::removeFix(lock);
            }
            checks << check;
        }
    }
    if (checks.isEmpty())
        checks << SystemCheck{QStringLiteral("serial locks"), true, QStringLiteral("none"), {}};
    return checks;
}

bool SystemChecks::installed(const QStringList &binaries) const
{
    for (const QString &binary : binaries) {
        if (QFileInfo::exists(m_env.system.path(binary)))
            return true;
    }
    return false;
}

bool SystemChecks::running(const QString &command) const
{
    const QDir proc(m_env.system.path(QStringLiteral("/proc")));
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        pid.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile comm(proc.filePath(pid + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && QString::fromLocal8Bit(comm.readAll()).trimmed() == command)
            return true;
    }
    return false;
}

bool SystemChecks::serviceState(const QStringList &binaries, SystemCheck *check, bool *isRunning) const
{
    if (!installed(binaries)) {
        check->detail = QStringLiteral("not installed");
        return false;
    }
    // The process is named after its program file.
    *isRunning = running(check->name);
    check->detail =
        QStringLiteral("installed, %1").arg(*isRunning ? QStringLiteral("running") : QStringLiteral("not running"));
    return true;
}

SystemCheck SystemChecks::brltty() const
{
    SystemCheck check{QStringLiteral("brltty"), true, {}, {}};
    bool isRunning = false;
    if (!serviceState(
            {QStringLiteral("/usr/bin/brltty"), QStringLiteral("/bin/brltty"), QStringLiteral("/usr/sbin/brltty")},
            &check, &isRunning))
        return check;
    const QList<UdevRules::Line> claims = UdevRules(m_env.system).brlttyClaims();
    if (!claims.isEmpty())
        check.detail += QStringLiteral(", %1 hands FTDI bridges to it").arg(ruleWhere(claims.constFirst()));
    // The braille daemon takes a bridge it thinks is a braille display and holds its port.
    if (isRunning || !claims.isEmpty()) {
        check.ok = false;
        check.fix = QStringLiteral("sudo apt remove brltty (unless a braille display is used on this computer)");
    }
    return check;
}

SystemCheck SystemChecks::modemManager() const
{
    SystemCheck check{QStringLiteral("ModemManager"), true, {}, {}};
    bool isRunning = false;
    if (!serviceState({QStringLiteral("/usr/sbin/ModemManager"), QStringLiteral("/usr/bin/ModemManager")}, &check,
                      &isRunning))
        return check;
    const QList<UdevRules::Line> ignores = UdevRules(m_env.system).modemManagerIgnore();
    if (!ignores.isEmpty()) {
        check.detail += QStringLiteral(", told to leave FTDI bridges alone in %1").arg(ruleWhere(ignores.constFirst()));
    } else if (isRunning) {
        // It probes every new serial port with AT commands, which the calibrator takes as garbage.
        check.ok = false;
        check.detail += QStringLiteral(", no udev rule tells it to leave FTDI bridges alone");
        check.fix = QStringLiteral("add ATTRS{idVendor}==\"0403\", ENV{ID_MM_DEVICE_IGNORE}=\"1\" to a file in "
                                   "/etc/udev/rules.d, or sudo apt remove modemmanager");
    }
    return check;
}

SystemCheck SystemChecks::bridgeRule() const
{
    SystemCheck check{QStringLiteral("udev rule for FTDI bridges"), true, {}, {}};
    const QList<UdevRules::Line> rules = UdevRules(m_env.system).bridgeAccess();
    if (rules.isEmpty()) {
        check.ok = false;
        check.detail = QStringLiteral("no rule gives vendor 0403 to the user");
        check.fix = QStringLiteral("install the program's 70-calsetup.rules into /etc/udev/rules.d, then sudo udevadm "
                                   "control --reload and plug the bridge in again");
        return check;
    }
    for (const UdevRules::Line &rule : rules) {
        const bool late =
            rule.text.contains(QStringLiteral("uaccess")) && (rule.number < 0 || rule.number >= kSeatRulesNumber);
        if (!late) {
            check.detail = ruleWhere(rule);
            return check;
        }
    }
    const UdevRules::Line &late = rules.constFirst();
    check.ok = false;
    check.detail = QStringLiteral("%1 tags uaccess after the seat's rules (%2) have been applied")
                       .arg(ruleWhere(late))
                       .arg(kSeatRulesNumber);
    check.fix = QStringLiteral("rename %1 to a number below %2 (e.g. 70-%3)")
                    .arg(late.file)
                    .arg(kSeatRulesNumber)
                    .arg(QFileInfo(late.file).fileName().section(QLatin1Char('-'), 1));
    return check;
}

QList<SystemCheck> SystemChecks::gpib() const
{
    SystemCheck library{QStringLiteral("IEEE-488.2 library"), true, {}, {}};
    for (const QString &name : m_env.gpibCandidates) {
        for (const QString &folder : m_env.libraryFolders) {
            if (QFileInfo::exists(m_env.system.path(folder + QLatin1Char('/') + name))) {
                library.detail = QStringLiteral("%1 from %2").arg(name, folder);
                break;
            }
        }
        if (!library.detail.isEmpty())
            break;
    }
    // Without one the GPIB interface is simply absent; only a GPIB user needs it.
    if (library.detail.isEmpty())
        library.detail = QStringLiteral("none (needed only for a GPIB board): looked for %1")
                             .arg(m_env.gpibCandidates.join(QStringLiteral(", ")));

    QList<SystemCheck> checks{library};
    for (const QString &device : devices(m_env.system, {QStringLiteral("gpib*")}))
        checks << deviceCheck(m_env.system, QStringLiteral("GPIB ") + device, device);
    return checks;
}

SystemCheck SystemChecks::network() const
{
    SystemCheck check{QStringLiteral("network broadcast"), true, {}, {}};
    QStringList ports;
    for (const NetworkPort &port : m_env.networkPorts)
        ports << QStringLiteral("%1 %2").arg(port.name, port.broadcasts.join(QStringLiteral(", ")));
    if (ports.isEmpty()) {
        check.ok = false;
        check.detail = QStringLiteral("no interface is up that can broadcast; Ethernet discovery finds nothing");
        check.fix = QStringLiteral("connect this computer to the instrument's network");
        return check;
    }
    check.detail = ports.join(QStringLiteral("; "));
    return check;
}

SystemCheck SystemChecks::folder(const QString &name, const QString &path) const
{
    SystemCheck check{name, true, path, {}};
    // A folder not made yet is made on the first write: what matters is its nearest ancestor.
    QString existing = m_env.system.path(path);
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            break;
        existing = parent;
    }
    QTemporaryFile probe(existing + QStringLiteral("/.calsetup-write-check-XXXXXX"));
    const QString shown = m_env.system.shown(existing);
    if (!probe.open()) {
        check.ok = false;
        check.detail = QStringLiteral("%1: %2 is not writable").arg(path, shown);
        check.fix = QStringLiteral("sudo chown -R $USER %1").arg(shown);
    } else if (shown != path) {
        check.detail += QStringLiteral(" (made on the first write)");
    }
    return check;
}

QList<SystemCheck> SystemChecks::folders() const
{
    return {folder(QStringLiteral("settings folder"), m_env.settingsFolder),
            folder(QStringLiteral("data folder"), m_env.dataFolder)};
}
