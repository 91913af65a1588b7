#include "caldata/QuickSetup.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "caldata/TableChangeRecorder.h"
#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/Reply.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

const QString QuickSetup::kPasswordMessage = QStringLiteral("Cal Password must be numeric and 9 digits or less");
const QString QuickSetup::kCompletedTitle = QStringLiteral("Setup Tasks Completed");
const QString QuickSetup::kNotCompletedTitle = QStringLiteral("Setup Tasks Not Completed");

namespace {

const QString kPasswordFailed = QStringLiteral("Error sending password");

} // namespace

/**
 * @brief One run of the sequence: the report, the failed flag, and whether setup mode may be
 * open and must be left.
 */
class QuickSetup::Run
{
public:
    Run(InstrumentChannel &dvm, Prompts &prompts, const Hooks &hooks) : m_dvm(dvm), m_prompts(prompts), m_hooks(hooks)
    {
    }

    Result result;
    // What the run did to the instrument's tables, for the change journal's records.
    bool factorsBackedUp = false;
    bool factorsCleared = false;
    bool specificationsLoaded = false;

    void append(const QString &line)
    {
        result.report += line + QStringLiteral("\r\n");
        reportChanged();
    }
    void setReport(const QString &text)
    {
        result.report = text;
        reportChanged();
    }

    /// A step failed: its message, the flag; the caller then ends the run.
    bool fail(const QString &message)
    {
        if (!message.isEmpty())
            m_prompts.message(message);
        result.tasksFailed = true;
        return false;
    }

    bool enterSetupMode()
    {
        // Even a password that got no answer may have reached the instrument.
        m_setupMayBeOpen = true;
        return SendSystemPassword(m_dvm) || fail(kPasswordFailed);
    }

    bool enterCalibrationMode()
    {
        m_setupMayBeOpen = true;
        return SendCalibratePassword(m_dvm) || fail(kPasswordFailed);
    }

    /// Sends a command of the sequence; true on "*0".
    bool command(const QString &text, int timeout)
    {
        m_setupMayBeOpen = true;
        return Reply::isSuccess(m_dvm.SendString(text, true, timeout, 1));
    }

    InstrumentChannel &dvm() { return m_dvm; }
    Prompts &prompts() { return m_prompts; }
    const Hooks &hooks() const { return m_hooks; }

    /// The exit password, once, on whatever path the run ends.
    void leaveSetupMode(bool always)
    {
        if (always || m_setupMayBeOpen)
            SendCalPassword(m_dvm);
        m_setupMayBeOpen = false;
    }

private:
    void reportChanged()
    {
        if (m_hooks.reportChanged)
            m_hooks.reportChanged(result.report);
    }

    InstrumentChannel &m_dvm;
    Prompts &m_prompts;
    const Hooks &m_hooks;
    bool m_setupMayBeOpen = false;
};

QuickSetup::QuickSetup(InstrumentChannel &dvm, Prompts &prompts, Hooks hooks)
    : m_dvm(dvm), m_prompts(prompts), m_hooks(std::move(hooks))
{
}

QuickSetup::~QuickSetup() = default;

void QuickSetup::setRecording(const QString &operation, const QString &connection)
{
    m_recordAs = operation;
    m_connection = connection;
}

bool QuickSetup::prepareRecords(Run &run, const QuickSetupChoices &choices)
{
    m_factorRecord.reset();
    m_specRecord.reset();
    if (!m_recordAs)
        return true;
    const QString specPath = choices.specFile.isEmpty() ? Settings::value(SettingsKey::DefaultSpec) : choices.specFile;
    const bool factors = choices.backupCal || choices.clearCal;
    // A window that loads the specifications records its own save, with every figure; the table it
    // replaces is still kept here, before the first password goes out.
    const bool specs = choices.loadSpecs && QFileInfo(specPath).isFile();
    if (!factors && !specs)
        return true;
    auto refuse = [&run](const QString &text) {
        run.setReport(text);
        run.result.tasksFailed = true;
        run.result.notRecorded = true;
        return false;
    };
    QString error;
    if (!TableChangeRecorder::journalWritable(&error))
        return refuse(TableChangeRecorder::journalRefusal(error));
    // Every table the run replaces is read and kept before the first password goes out.
    auto keep = [&](TableKind kind, TableOperation &reading) {
        return TableChangeRecorder::keeping(*m_recordAs, kind, reading, m_dvm, m_connection, &error, m_hooks.progress);
    };
    if (factors) {
        CalFactorTable table;
        CalFactorOperations reading(table, m_dvm, m_prompts);
        if (!(m_factorRecord = keep(TableKind::Factors, reading)))
            return refuse(error);
    }
    if (specs) {
        SpecTable table;
        SpecOperations reading(table, m_dvm, m_prompts);
        if (!(m_specRecord = keep(TableKind::Specifications, reading)))
            return refuse(error);
        m_specRecord->setFile(specPath);
    }
    return true;
}

void QuickSetup::finishRecords(const Run &run, const QuickSetupChoices &choices)
{
    QString error;
    if (m_factorRecord) {
        const bool backedUp = !choices.backupCal || run.factorsBackedUp;
        const bool cleared = !choices.clearCal || run.factorsCleared;
        const JournalOutcome outcome = backedUp && cleared ? JournalOutcome::Done
            : run.factorsBackedUp || run.factorsCleared    ? JournalOutcome::Partial
                                                           : JournalOutcome::Failed;
        if (!m_factorRecord->finish(outcome, &error))
            m_prompts.message(QStringLiteral("The change journal could not take the record of the factors: ") + error);
    }
    if (m_specRecord) {
        const JournalOutcome outcome = run.specificationsLoaded ? JournalOutcome::Done : JournalOutcome::Failed;
        if (!m_specRecord->finish(outcome, &error))
            m_prompts.message(QStringLiteral("The change journal could not take the record of the specifications: ")
                              + error);
    }
    m_factorRecord.reset();
    m_specRecord.reset();
}

QString QuickSetup::clockCommand(const QDateTime &at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("A") + two(d.day()) + two(d.month()) + two(d.year() % 100) + two(t.hour()) + two(t.minute());
}

bool QuickSetup::isValidUserPassword(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(trimBlanks(text)).hasMatch();
}

QuickSetup::Result QuickSetup::run(const QuickSetupChoices &choices)
{
    Run run(m_dvm, m_prompts, m_hooks);

    if (choices.setPassword && !isValidUserPassword(choices.password)) {
        // Nothing has been sent: there is no setup mode to leave.
        run.setReport(kPasswordMessage);
        run.result.tasksFailed = true;
        run.result.passwordInvalid = true;
    } else {
        run.setReport(QString());
        if (m_hooks.busy)
            m_hooks.busy(true);
        auto idle = qScopeGuard([this] {
            if (m_hooks.busy)
                m_hooks.busy(false);
        });
        if (prepareRecords(run, choices)) {
            const bool reachedTheEnd = runSteps(run, choices);
            // The sequence's own last step leaves setup mode whatever was ticked; a failure on
            // the way leaves it too, so the instrument is never left open.
            run.leaveSetupMode(reachedTheEnd);
            finishRecords(run, choices);
        }
    }

    const Result &result = run.result;
    if (!result.report.isEmpty()) {
        QString text = result.report;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        if (result.tasksFailed)
            m_prompts.message(text, kNotCompletedTitle, Prompts::Icon::Critical);
        else
            m_prompts.message(text, kCompletedTitle, Prompts::Icon::Information);
    }
    return result;
}

bool QuickSetup::runSteps(Run &run, const QuickSetupChoices &choices)
{
    if (choices.setDate) {
        if (!run.enterSetupMode())
            return false;
        if (!run.command(clockCommand(systemClock().currentDateTime()), kClockTimeoutSeconds))
            return run.fail(QStringLiteral("Error setting time"));
        run.append(QStringLiteral("Date Set"));
    }

    if (choices.setPassword) {
        if (!run.enterSetupMode())
            return false;
        if (!run.command(QStringLiteral("K") + trimBlanks(choices.password), kPasswordTimeoutSeconds))
            return run.fail(QStringLiteral("Error setting calibration password"));
        run.append(QStringLiteral("Calibration Password Set"));
    }

    // The backup runs before the factors are cleared: afterwards it would overwrite the backup
    // with cleared factors. It is the calibration-factor window's backup: the calibrate
    // password, then "CB", taken as done only on exactly "*0".
    if (choices.backupCal) {
        if (!run.enterCalibrationMode())
            return false;
        QString reply = run.dvm().SendString(QStringLiteral("CB"), true, kBackupTimeoutSeconds, 1);
        reply.remove(QLatin1Char('\r'));
        reply.remove(QLatin1Char('\n'));
        if (reply != QLatin1String("*0"))
            return run.fail(QStringLiteral("Error backing up cal factors"));
        run.factorsBackedUp = true;
        run.append(QStringLiteral("Calibration Factors Backed Up"));
    }

    if (choices.clearCal) {
        if (!run.enterSetupMode())
            return false;
        if (!run.command(QStringLiteral("CC"), kClearTimeoutSeconds))
            return run.fail(QStringLiteral("Error clearing cal factors"));
        run.factorsCleared = true;
        run.append(QStringLiteral("Calibration Factors Cleared"));
    }

    if (choices.loadSpecs) {
        if (!run.enterSetupMode())
            return false;
        const QString path = choices.specFile.isEmpty() ? Settings::value(SettingsKey::DefaultSpec) : choices.specFile;
        if (QFileInfo(path).isFile()) {
            const bool loaded =
                m_hooks.loadSpecifications ? m_hooks.loadSpecifications(path) : loadSpecificationsHere(path);
            // A table the instrument refused, in part or whole, is not a loaded table.
            if (!loaded) {
                run.append(QStringLiteral("ERROR: Default Specifications Not Loaded"));
                return run.fail(QString());
            }
            run.specificationsLoaded = true;
            run.append(QStringLiteral("Default Specifications Loaded"));
        } else {
            // A missing file is reported and the run goes on: it is not counted as a failure.
            run.append(QStringLiteral("ERROR: Default Specifications Not Found"));
        }
    }

    // This program has no imported-uncertainty or thermocouple window yet: a ticked task that
    // cannot be done is reported, and the run is not a completed one.
    if (choices.loadUncerts) {
        run.append(QStringLiteral("Default Imported Uncertainties Not Done"));
        run.result.tasksFailed = true;
    }
    if (choices.thermocouple) {
        run.append(QStringLiteral("Thermocouple Data Not Done"));
        run.result.tasksFailed = true;
    }
    return true;
}

bool QuickSetup::loadSpecificationsHere(const QString &path)
{
    SpecTable table;
    SpecOperations operations(table, m_dvm, m_prompts);
    if (operations.fileLoad(path) != SpecOperations::Outcome::Done)
        return false;
    // Counted once the file is in: its pending figures are what the save writes.
    operations.hooks().progress =
        TableOperation::counting(QStringLiteral("writing specifications"), table.pendingCount(), m_hooks.progress)
            .progress;
    if (m_specRecord)
        m_specRecord->watchSave(operations);
    return operations.saveToMeter().complete();
}
