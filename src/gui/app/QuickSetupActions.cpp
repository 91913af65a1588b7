#include "gui/app/QuickSetupActions.h"

#include "caldata/DefaultFiles.h"
#include "caldata/EepromWipe.h"
#include "caldata/QuickSetup.h"
#include "gui/app/FormMain.h"
#include "gui/caldata/FormSpecifications.h"
#include "gui/common/OnWindowThread.h"
#include "instrument/IDVM.h"
#include "platform/Prompts.h"
#include "session/InstrumentSession.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

namespace {

/// The report as the box shows it: one row per line.
QString shownReport(QString report)
{
    report.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (report.endsWith(QLatin1Char('\n')))
        report.chop(1);
    return report;
}

} // namespace

namespace QuickSetupActions {

FormSpecifications *showSpecifications(FormMain &main, bool readInstrument)
{
    if (QWidget *open =
            main.findModeless([](QWidget *w) { return qobject_cast<FormSpecifications *>(w) != nullptr; })) {
        main.showModeless(open);
        return qobject_cast<FormSpecifications *>(open);
    }
    QPointer<QPlainTextEdit> status = main.quickSetup().Text_Status;
    auto report = [status](const QString &text) {
        if (status)
            status->setPlainText(text);
    };
    QPointer<FormSpecifications> form = new FormSpecifications(main.session(), main.prompts(), report, &main);
    main.showModeless(form);
    form->Form_Load(readInstrument);
    return form;
}

void Command_SetupTasks_Click(FormMain &main)
{
    if (!main.session().dvm())
        return;
    const FormMain::QuickSetupControls &q = main.quickSetup();
    QuickSetupChoices choices;
    choices.setDate = q.Check_Date->isChecked();
    choices.setPassword = q.Check_CalPassword->isChecked();
    choices.password = q.Text_UserPassword->text();
    choices.backupCal = q.Check_BackupCal->isChecked();
    choices.clearCal = q.Check_ClearCal->isChecked();
    choices.loadSpecs = q.Check_Specs->isChecked();
    choices.loadUncerts = q.Check_Uncerts->isChecked();
    choices.thermocouple = q.Check_Thermocouple->isChecked();

    QPointer<QPlainTextEdit> status = q.Text_Status;
    QPointer<FormMain> window(&main);
    InstrumentSession *session = &main.session();
    Prompts *prompts = &main.prompts();
    const QString connection = main.session().connectionWords();
    main.runMainStep(
        QStringLiteral("Perform Selected Tasks"), true,
        [choices, status, window, session, prompts, connection](OperationControl &control) {
            QuickSetup::Hooks hooks;
            hooks.reportChanged = onWindowThread(status, std::function<void(QString)>([status](const QString &report) {
                                                     status->setPlainText(shownReport(report));
                                                 }));
            // The specifications window does the loading, as the engineer would see it done by
            // hand; its save is part of this operation. A window busy with its own work is left
            // alone.
            hooks.loadSpecifications = [window, &control](const QString &path) {
                // The window is opened and the file loaded on the windows' thread; the save runs
                // here, in this operation.
                TableWindow::SaveJob save;
                runOnWindowThread([window, path, &save] {
                    if (!window)
                        return;
                    QPointer<FormSpecifications> form = showSpecifications(*window, false);
                    if (form && !form->isWorking() && form->FileLoad(path))
                        save = form->saveWithin();
                });
                return save && save(control).complete();
            };
            // The factors a backup or clear replaces are kept first; the specifications window
            // records its own save.
            QuickSetup quickSetup(session->channel(), *prompts, hooks);
            quickSetup.setRecording(QStringLiteral("Quick Setup"), connection);
            quickSetup.run(choices);
        },
        nullptr);
}

void Command_SetDefaultSpec_Click(FormMain &main)
{
    DefaultFiles::chooseSpecFile(main.prompts());
}

void Command_SetDefaultUncert_Click(FormMain &main)
{
    DefaultFiles::chooseUncertFile(main.prompts());
}

void Command_WipeEEPROM_Click(FormMain &main)
{
    if (!main.session().dvm())
        return;
    // Both questions come before the wipe waits its turn.
    if (!EepromWipe::confirm(main.prompts()))
        return;
    InstrumentSession *session = &main.session();
    Prompts *prompts = &main.prompts();
    main.runMainStep(
        QStringLiteral("Wipe EEPROM"), true,
        [session, prompts, connection = main.session().connectionWords()](OperationControl &) {
            // Both tables are kept before the erase: nothing is sent when they cannot be.
            EepromWipe::Records records;
            QString error;
            if (!records.keep(session->channel(), *prompts, QStringLiteral("Wipe EEPROM"), connection, &error)) {
                prompts->message(error, QStringLiteral("Wipe EEPROM"), Prompts::Icon::Critical);
                return;
            }
            const EepromWipe::Outcome outcome = EepromWipe::runConfirmed(session->channel(), *prompts);
            if (!records.finish(outcome, &error))
                prompts->message(QStringLiteral("The erase was sent, but its record could not be written to the "
                                                "change journal: ")
                                     + error,
                                 QStringLiteral("Wipe EEPROM"), Prompts::Icon::Warning);
        },
        nullptr);
}

void windowNotAvailable(FormMain &main, const QString &window)
{
    main.prompts().message(QStringLiteral("The %1 window is not available in this version.").arg(window),
                           QStringLiteral("6481 Setup"), Prompts::Icon::Information);
}

} // namespace QuickSetupActions
