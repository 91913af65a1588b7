#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class InstrumentChannel;
class TableChangeRecorder;
class Prompts;

/// What the Quick Setup frame's boxes ask for.
struct QuickSetupChoices
{
    bool setDate = false;      ///< "Set Current Date and Time"
    bool setPassword = false;  ///< "User Password"
    QString password;          ///< the user's calibration password, one to nine digits
    bool backupCal = false;    ///< "Backup Active Calibration Factors"
    bool clearCal = false;     ///< "Clear Calibration Factors"
    bool loadSpecs = false;    ///< "Load Default Specifications"
    QString specFile;          ///< the file to load; empty: the "DefaultSpec" setting
    bool loadUncerts = false;  ///< "Load Default Imported Uncertainties"
    bool thermocouple = false; ///< "Thermocouple Tables"
};

/**
 * @brief The new-instrument setup sequence: set the clock, set the user's calibration password,
 * back up and clear the calibration factors, load the default specification table, each only when
 * asked for, in that order, each waiting for its answer before the next begins.
 *
 * A failure ends the sequence at once and marks the run failed; every path that may have entered
 * setup mode leaves it with the exit password before the report is shown. The running report
 * (the main window's status box) goes to the report hook as it grows, and at the end a message
 * box shows it titled "Setup Tasks Completed" or "Setup Tasks Not Completed".
 *
 * The imported-uncertainty and thermocouple windows are not part of this program: a run that
 * asks for them reports each as not done and does not count as completed.
 */
class QuickSetup
{
public:
    struct Hooks
    {
        /// The report so far, lines ended by CR LF, every time it changes.
        std::function<void(const QString &report)> reportChanged;
        /// Loads a specification file and writes it to the instrument; true only when the file
        /// was read and every figure of it that was to be written was accepted. Empty: done here
        /// through SpecOperations, as the specifications window does it.
        std::function<bool(const QString &path)> loadSpecifications;
        /// True when the run starts talking to the instrument, false when it is done.
        std::function<void(bool)> busy;
        /// The long stretches counted as they go: the snapshots' readings ("factors",
        /// "specifications") and the specification file's figures as they are written ("writing
        /// specifications"); done of total each time one more is.
        std::function<void(const QString &step, int done, int total)> progress;
    };

    struct Result
    {
        bool tasksFailed = false;
        /// The change journal could not take the run's record, or a table it replaces could not
        /// be kept as a snapshot: nothing was sent.
        bool notRecorded = false;
        /// The user password was refused before anything was sent.
        bool passwordInvalid = false;
        QString report;
        bool completed() const { return !tasksFailed; }
    };

    QuickSetup(InstrumentChannel &dvm, Prompts &prompts, Hooks hooks = {});
    ~QuickSetup();

    /// Keeps the change journal's records of the run, named `operation`: before anything is sent,
    /// the factor table a backup or a clear replaces and the specification table a load replaces
    /// are read and kept as snapshots; afterwards a record per table says how it ended and, for
    /// the specifications loaded here, every figure written (a loadSpecifications hook's save
    /// records its figures itself). Off unless called.
    void setRecording(const QString &operation, const QString &connection);

    /// Runs the sequence (Command_SetupTasks_Click).
    Result run(const QuickSetupChoices &choices);

    /// "A" and the date and time as DDMMYYhhmm: 1 January 2030 09:05 gives "A0101300905".
    static QString clockCommand(const QDateTime &at);
    /// One to nine digits 0-9 once blanks at both ends are removed.
    static bool isValidUserPassword(const QString &text);

    static constexpr int kClockTimeoutSeconds = 10;
    static constexpr int kPasswordTimeoutSeconds = 10;
    static constexpr int kBackupTimeoutSeconds = 120;
    static constexpr int kClearTimeoutSeconds = 60;

    static const QString kPasswordMessage;
    static const QString kCompletedTitle;
    static const QString kNotCompletedTitle;

private:
    class Run;
    /// The steps in order; false when one failed and the run ends there.
    bool runSteps(Run &run, const QuickSetupChoices &choices);
    /// The specifications window's work without the window: FileLoad, then Save To Meter.
    bool loadSpecificationsHere(const QString &path);

    /// The snapshots before the run; false (with the report saying why) when one cannot be kept.
    bool prepareRecords(Run &run, const QuickSetupChoices &choices);
    void finishRecords(const Run &run, const QuickSetupChoices &choices);

    InstrumentChannel &m_dvm;
    Prompts &m_prompts;
    Hooks m_hooks;
    std::optional<QString> m_recordAs;
    QString m_connection;
    std::unique_ptr<TableChangeRecorder> m_factorRecord;
    std::unique_ptr<TableChangeRecorder> m_specRecord;
};
