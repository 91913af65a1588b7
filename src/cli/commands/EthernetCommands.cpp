// ethernet find, select, init, set-ip, dhcp, reboot: the Ethernet-serial modules, as the Ethernet
// window finds, chooses and configures them.

#include "cli/CommandGroups.h"
#include "cli/JsonOutput.h"
#include "cli/RunContext.h"
#include "instrument/ethernet/EthernetDiscoveryTarget.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "locate/EthernetLocator.h"
#include "locate/EthernetModuleSetup.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

#include <functional>

namespace {

const QString kDiscovery = QStringLiteral("discovery");

const QString kModulesJson =
    QStringLiteral("{\"modules\": [{\"ip\", \"mac\", \"port\", \"dhcp\", \"owner\", \"device\", \"reply\", "
                   "\"instrument\": {\"identity\", \"model\", \"serial\", \"firmware\"}}], \"selected\": MAC or null}");

const CliOption kDiscoveryOption{
    kDiscovery, QStringLiteral("ADDRESS[:PORT]"),
    QStringLiteral("where discovery and module commands go (default: the Ethernet_Discovery setting; "
                   "when that is empty, every interface's broadcast address, port 32767)")};

/// The windows' message boxes, as lines on stderr; the tool never waits for an answer.
class StderrPrompts : public Prompts
{
public:
    explicit StderrPrompts(const RunContext &run) : m_run(run) {}

    Answer message(const QString &text, const QString &, Icon icon, Buttons, Answer defaultAnswer) override
    {
        QString line = text;
        line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (icon == Icon::Warning || icon == Icon::Critical)
            m_run.warn(line);
        else
            m_run.err() << line << Qt::endl;
        return defaultAnswer;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }

private:
    const RunContext &m_run;
};

/// What every ethernet command needs: the module link pointed at the right target, the locator,
/// and the configuration sequences with the window's rediscovery.
struct EthernetRun
{
    explicit EthernetRun(RunContext &run)
        : run(run),
          prompts(run),
          locator(run.session(), prompts),
          setup(run.session().context().ethernetModules(), prompts, [this] { rediscovered = locator.findModules(); })
    {
    }

    /// Applies --discovery; false (usage error printed) when it or the setting is not usable.
    bool useTarget(int *status)
    {
        EthernetModuleLink &link = run.session().context().ethernetModules();
        if (run.isSet(kDiscovery)) {
            const auto target = EthernetDiscoveryTarget::parse(run.value(kDiscovery));
            if (!target) {
                *status = run.usageError(QStringLiteral("--discovery needs ADDRESS[:PORT] with an IPv4 address, "
                                                        "not \"%1\"")
                                             .arg(run.value(kDiscovery)));
                return false;
            }
            link.setTargetOverride(target);
        }
        if (!link.hasUsableTarget()) {
            *status = run.usageError(
                QStringLiteral("the saved %1 \"%2\" is not ADDRESS[:PORT]; give --discovery")
                    .arg(SettingsKey::EthernetDiscovery, Settings::value(SettingsKey::EthernetDiscovery)));
            return false;
        }
        return true;
    }

    QString targetText() const
    {
        const EthernetModuleLink &link = run.session().context().ethernetModules();
        if (const auto target = link.target())
            return target->toString();
        return link.searchedText().isEmpty() ? QStringLiteral("every interface") : link.searchedText();
    }

    /// The module's MAC as the windows keep it: trimmed, and short enough for the record.
    bool takeMac(const QString &text, int *status)
    {
        const QString mac = text.trimmed();
        bool printable = !mac.isEmpty() && mac.size() <= EthernetModuleRecord::kMacLength;
        for (const QChar c : mac)
            printable = printable && c.unicode() > 0x20 && c.unicode() < 0x7f;
        if (!printable) {
            *status = run.usageError(QStringLiteral("\"%1\" is not a MAC address").arg(text));
            return false;
        }
        run.session().context().ethernetModules().selectedModuleMac = mac;
        return true;
    }

    void printTable()
    {
        const QList<EthernetLocator::Row> &rows = locator.rows();
        QList<QStringList> table{{QStringLiteral("IP"), QStringLiteral("MAC"), QStringLiteral("Port"),
                                  QStringLiteral("DHCP"), QStringLiteral("Owner"), QStringLiteral("Device"),
                                  QStringLiteral("Reply")}};
        for (const EthernetLocator::Row &row : rows)
            table.append({row.ip.trimmed(), row.mac.trimmed(), row.port, row.dhcp, row.owner.trimmed(),
                          row.device.trimmed(), row.reply});
        QList<qsizetype> widths(table.front().size(), 0);
        for (const QStringList &line : table) {
            for (qsizetype i = 0; i < line.size(); ++i)
                widths[i] = qMax(widths[i], line.at(i).size());
        }
        for (const QStringList &line : table) {
            QString text;
            for (qsizetype i = 0; i < line.size(); ++i)
                text += i + 1 < line.size() ? line.at(i).leftJustified(widths[i] + 2) : line.at(i);
            run.out() << text.trimmed() << '\n';
        }
        const QString chosen = locator.selectedModuleMac();
        if (!chosen.isEmpty())
            run.out() << "selected " << chosen << " at " << locator.activeModule().ipText() << ':'
                      << locator.activeModule().Port << '\n';
    }

    /// A command that ends with the list has done its work: with --json, the list is its document.
    int listed()
    {
        if (run.json())
            run.printJson(tableJson());
        return ExitSuccess;
    }

    /// The same rows for --json; the instrument's identity parsed where it answered.
    QJsonObject tableJson() const
    {
        QJsonArray modules;
        for (const EthernetLocator::Row &row : locator.rows()) {
            bool numeric = false;
            const int port = row.port.trimmed().toInt(&numeric);
            modules.append(
                QJsonObject{{QStringLiteral("ip"), row.ip.trimmed()},
                            {QStringLiteral("mac"), row.mac.trimmed()},
                            {QStringLiteral("port"), numeric ? QJsonValue(port) : QJsonValue(row.port.trimmed())},
                            {QStringLiteral("dhcp"), row.dhcp},
                            {QStringLiteral("owner"), row.owner.trimmed()},
                            {QStringLiteral("device"), row.device.trimmed()},
                            {QStringLiteral("reply"), row.reply},
                            {QStringLiteral("instrument"), JsonOutput::identity(row.reply)}});
        }
        QJsonObject document{{QStringLiteral("modules"), modules}};
        const QString chosen = locator.selectedModuleMac();
        document.insert(QStringLiteral("selected"),
                        chosen.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(chosen));
        return document;
    }

    /// Exit status of a configuration sequence that failed: silence is "cannot reach", a "no" is
    /// a refusal.
    int sequenceFailed(const QString &what)
    {
        const bool answered = run.session().context().ethernetModules().lastCommandAnswered();
        return run.fail(answered ? ExitRefused : ExitUnreachable,
                        answered ? QStringLiteral("the module refused %1").arg(what)
                                 : QStringLiteral("no module answered %1 at %2").arg(what, targetText()));
    }

    /// Runs discovery; false, after saying so, when no module answered.
    bool findModules(int *status)
    {
        const bool found = locator.findModules(false);
        // stdout keeps the table alone; where the search went is for the reader.
        run.err() << "Searched: " << run.session().context().ethernetModules().searchedText() << Qt::endl;
        if (found)
            return true;
        *status = run.fail(ExitRefused, QStringLiteral("no Ethernet module answered at %1").arg(targetText()));
        return false;
    }

    /// The exit status of a sequence that reboots the module: the failure when it was not done,
    /// else the list the rediscovery found.
    int rebooted(bool done, const QString &what)
    {
        if (!done)
            return sequenceFailed(what);
        printTable();
        if (!rediscovered)
            return run.fail(ExitUnreachable, QStringLiteral("the module did not answer discovery after its reboot"));
        return listed();
    }

    RunContext &run;
    StderrPrompts prompts;
    EthernetLocator locator;
    EthernetModuleSetup setup;
    bool rediscovered = false;
};

/// An ethernet command's own work, once its run has what the command is given.
using EthernetCommand = std::function<int(EthernetRun &ethernet)>;

/// Runs `command` once --discovery, or the saved setting, gives a usable target.
CliCommand::Run onTarget(const EthernetCommand &command)
{
    return [command](RunContext &run) {
        EthernetRun ethernet(run);
        int status = ExitSuccess;
        return ethernet.useTarget(&status) ? command(ethernet) : status;
    };
}

/// The same for a command on one module: the MAC, its first argument, is taken after the target.
CliCommand::Run onModule(const EthernetCommand &command)
{
    return onTarget([command](EthernetRun &ethernet) {
        int status = ExitSuccess;
        return ethernet.takeMac(ethernet.run.arguments().at(0), &status) ? command(ethernet) : status;
    });
}

int find(EthernetRun &ethernet)
{
    int status = ExitSuccess;
    if (!ethernet.findModules(&status))
        return status;
    ethernet.printTable();
    return ethernet.listed();
}

int selectModule(EthernetRun &ethernet)
{
    // The module is looked for, and named when it is not there, as the trimmed argument.
    const QString mac = ethernet.run.arguments().at(0).trimmed();
    int status = ExitSuccess;
    if (!ethernet.takeMac(mac, &status) || !ethernet.findModules(&status))
        return status;
    const int index = ethernet.locator.indexOfMac(mac);
    if (index < 0) {
        ethernet.printTable();
        return ethernet.run.fail(ExitRefused, QStringLiteral("no module with MAC %1 answered").arg(mac));
    }
    ethernet.locator.selectModule(index);
    ethernet.printTable();
    return ethernet.listed();
}

int init(EthernetRun &ethernet)
{
    return ethernet.rebooted(ethernet.setup.initialiseModule(), QStringLiteral("the initialisation"));
}

int setIp(EthernetRun &ethernet)
{
    const QString address = ethernet.run.arguments().at(1).trimmed();
    if (QHostAddress(address).protocol() != QAbstractSocket::IPv4Protocol || address.count(QLatin1Char('.')) != 3)
        return ethernet.run.usageError(
            QStringLiteral("\"%1\" is not an IPv4 address such as 192.168.1.123").arg(address));
    return ethernet.rebooted(ethernet.setup.setIp(address), QStringLiteral("the new address"));
}

int dhcp(EthernetRun &ethernet)
{
    const QString given = ethernet.run.arguments().at(1);
    const QString state = given.toLower();
    if (state != QLatin1String("on") && state != QLatin1String("off"))
        return ethernet.run.usageError(QStringLiteral("ethernet dhcp takes on or off, not \"%1\"").arg(given));
    return ethernet.rebooted(ethernet.setup.setDhcp(state == QLatin1String("on")), QStringLiteral("the DHCP setting"));
}

int reboot(EthernetRun &ethernet)
{
    // A bare reboot is not followed by discovery, so there is no list to show.
    if (!ethernet.setup.reboot())
        return ethernet.sequenceFailed(QStringLiteral("the login"));
    return ExitSuccess;
}

} // namespace

QList<CliCommand> ethernetCommands()
{
    return {
        {.words = {QStringLiteral("ethernet"), QStringLiteral("find")},
         .summary =
             QStringLiteral("list the Ethernet modules that answer discovery, with their instruments' identities"),
         .json = kModulesJson,
         .options = {kDiscoveryOption},
         .run = onTarget(find)},
        {.words = {QStringLiteral("ethernet"), QStringLiteral("select")},
         .argumentUsage = QStringLiteral("MAC"),
         .summary = QStringLiteral("find the modules, then make this one the saved connection"),
         .json = kModulesJson,
         .minArguments = 1,
         .maxArguments = 1,
         .options = {kDiscoveryOption},
         .run = onTarget(selectModule)},
        {.words = {QStringLiteral("ethernet"), QStringLiteral("init")},
         .argumentUsage = QStringLiteral("MAC"),
         .summary = QStringLiteral("set the module's serial port and names for the instrument, reboot it, find again"),
         .json = kModulesJson,
         .minArguments = 1,
         .maxArguments = 1,
         .options = {kDiscoveryOption},
         .run = onModule(init)},
        {.words = {QStringLiteral("ethernet"), QStringLiteral("set-ip")},
         .argumentUsage = QStringLiteral("MAC ADDRESS"),
         .summary = QStringLiteral("give the module a fixed IP address, reboot it, find again"),
         .json = kModulesJson,
         .minArguments = 2,
         .maxArguments = 2,
         .options = {kDiscoveryOption},
         .run = onModule(setIp)},
        {.words = {QStringLiteral("ethernet"), QStringLiteral("dhcp")},
         .argumentUsage = QStringLiteral("MAC on|off"),
         .summary = QStringLiteral("switch the module's DHCP on or off, reboot it, find again"),
         .json = kModulesJson,
         .minArguments = 2,
         .maxArguments = 2,
         .options = {kDiscoveryOption},
         .run = onModule(dhcp)},
        {.words = {QStringLiteral("ethernet"), QStringLiteral("reboot")},
         .argumentUsage = QStringLiteral("MAC"),
         .summary = QStringLiteral("restart the module"),
         .minArguments = 1,
         .maxArguments = 1,
         .options = {kDiscoveryOption},
         .run = onModule(reboot)},
    };
}
