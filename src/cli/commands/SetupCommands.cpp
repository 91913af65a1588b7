// setup and wipe: the main window's Quick Setup frame and its "Wipe EEPROM" button from a shell.

#include "caldata/EepromWipe.h"
#include "caldata/QuickSetup.h"
#include "cli/ChangeRecording.h"
#include "cli/CliPrompts.h"
#include "cli/CommandGroups.h"
#include "cli/ProgressLine.h"
#include "cli/RunContext.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace {

const QString kYes = QStringLiteral("yes");
const QString kDate = QStringLiteral("date");
const QString kPassword = QStringLiteral("password");
const QString kBackupCal = QStringLiteral("backup-cal");
const QString kClearCal = QStringLiteral("clear-cal");
const QString kSpecs = QStringLiteral("specs");

int setup(RunContext &run)
{
    QuickSetupChoices choices;
    choices.setDate = run.isSet(kDate);
    choices.setPassword = run.isSet(kPassword);
    choices.password = run.value(kPassword);
    choices.backupCal = run.isSet(kBackupCal);
    choices.clearCal = run.isSet(kClearCal);
    choices.loadSpecs = run.isSet(kSpecs);
    choices.specFile = run.value(kSpecs);
    // A file named on the command line that is not there is found before anything is sent, rather
    // than taken for a default file that was never set up.
    if (choices.loadSpecs && !QFileInfo(choices.specFile).isFile())
        return run.fail(ExitLocalFile,
                        QStringLiteral("--specs: no such file %1; nothing was sent").arg(choices.specFile));

    run.reportFirstFailure();
    CliPrompts prompts(false);
    // The snapshots and the specification file's figures take a while: counted on a terminal.
    ProgressLine progressLine(run.err(), run.errIsTerminal());
    QuickSetup::Hooks hooks;
    hooks.progress = [&progressLine](const QString &step, int done, int total) {
        progressLine.show(step, done, total);
    };
    QuickSetup quickSetup(run.channel(), prompts, hooks);
    if (!run.isSet(ChangeRecording::kNoJournal))
        quickSetup.setRecording(QStringLiteral("setup"), run.connectionDescription());
    else if (choices.backupCal || choices.clearCal || choices.loadSpecs)
        run.warn(QStringLiteral("--no-journal: this change is not recorded in the change journal"));
    const QuickSetup::Result result = quickSetup.run(choices);
    progressLine.clear();
    if (result.notRecorded)
        return run.fail(ExitLocalFile,
                        result.report
                            + QStringLiteral(". Free the disk or fix the folder's "
                                             "permissions, or add --no-journal"));

    // The boxes of failed steps on stderr; the report, and the title of its box, on stdout.
    for (const CliPrompts::Shown &shown : std::as_const(prompts.messages)) {
        if (shown.title != QuickSetup::kCompletedTitle && shown.title != QuickSetup::kNotCompletedTitle)
            run.warn(shown.text);
    }
    if (!result.report.isEmpty()) {
        QString report = result.report;
        report.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        run.out() << report;
        if (!report.endsWith(QLatin1Char('\n')))
            run.out() << '\n';
        run.out() << (result.completed() ? QuickSetup::kCompletedTitle : QuickSetup::kNotCompletedTitle) << Qt::endl;
        // The report says task by task what was done, a failed one too: it is printed either way.
        if (run.json()) {
            QStringList lines = report.split(QLatin1Char('\n'));
            lines.removeAll(QString());
            run.printJson({{QStringLiteral("report"), QJsonArray::fromStringList(lines)},
                           {QStringLiteral("completed"), result.completed()},
                           {QStringLiteral("title"),
                            result.completed() ? QuickSetup::kCompletedTitle : QuickSetup::kNotCompletedTitle}});
        }
    }
    if (result.completed())
        return ExitSuccess;
    if (result.passwordInvalid)
        return run.usageError(QStringLiteral("--password needs one to nine digits; nothing was sent"));
    return run.failureReported() ? ExitUnreachable : ExitRefused;
}

int wipe(RunContext &run)
{
    if (!run.isSet(kYes))
        return run.usageError(QStringLiteral("wipe erases every setting of the instrument (WXerase); add --yes to "
                                             "go ahead"));
    run.reportFirstFailure();
    CliPrompts prompts(true);
    // Both tables are kept before the erase; the erase is what nothing can undo.
    EepromWipe::Records records;
    const bool recorded = !run.isSet(ChangeRecording::kNoJournal);
    QString error;
    ProgressLine progressLine(run.err(), run.errIsTerminal());
    auto progress = [&progressLine](const QString &step, int done, int total) { progressLine.show(step, done, total); };
    if (!recorded)
        run.warn(QStringLiteral("--no-journal: this change is not recorded in the change journal"));
    else if (!records.keep(run.channel(), prompts, QStringLiteral("wipe"), run.connectionDescription(), &error,
                           progress)) {
        progressLine.clear();
        return run.failureReported() ? ExitUnreachable : run.fail(ExitLocalFile, error);
    }
    progressLine.clear();
    const EepromWipe::Outcome outcome = EepromWipe::run(run.channel(), prompts);
    if (recorded && !records.finish(outcome, &error)) {
        run.warn(QStringLiteral("the erase was sent but its record could not be written to the change journal: ")
                 + error);
    }
    switch (outcome) {
    case EepromWipe::Outcome::Sent: {
        QStringList messages;
        for (const CliPrompts::Shown &shown : std::as_const(prompts.messages)) {
            run.out() << shown.text << Qt::endl;
            messages << shown.text;
        }
        if (run.json())
            run.printJson(
                {{QStringLiteral("sent"), true}, {QStringLiteral("messages"), QJsonArray::fromStringList(messages)}});
        return ExitSuccess;
    }
    case EepromWipe::Outcome::NoSetupMode:
        return run.noSetupModeExit();
    case EepromWipe::Outcome::Cancelled:
        break;
    }
    return ExitUsage;
}

} // namespace

QList<CliCommand> setupCommands()
{
    return {
        {.words = {QStringLiteral("setup")},
         .summary = QStringLiteral("run the Quick Setup tasks asked for, in the window's order, and print the "
                                   "report; exit 0 only when every task was done"),
         .json = QStringLiteral("{\"report\": [its lines], \"completed\", \"title\"}, also when a task failed"),
         .options = {{kDate, QString(), QStringLiteral("set the instrument's clock to this computer's (A)")},
                     {kPassword, QStringLiteral("DIGITS"),
                      QStringLiteral("set the user's calibration password, one to nine digits (K)")},
                     {kBackupCal, QString(),
                      QStringLiteral("copy the active calibration factors to the backup storage first (CB)")},
                     {kClearCal, QString(), QStringLiteral("clear the calibration factors (CC)")},
                     {kSpecs, QStringLiteral("FILE"),
                      QStringLiteral("write this .spec file's table to the instrument")},
                     ChangeRecording::option()},
         .run = setup},
        {.words = {QStringLiteral("wipe")},
         .summary = QStringLiteral("erase every setting of the instrument (WXerase); it hears nothing for several "
                                   "minutes afterwards"),
         .json = QStringLiteral("{\"sent\": true, \"messages\": [what the instrument was told]}"),
         .options = {{kYes, QString(), QStringLiteral("erase")}, ChangeRecording::option()},
         .run = wipe},
    };
}
