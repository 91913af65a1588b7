// Renders every window of the program, running on the built-in virtual calibrator, into PNG
// files: calsetup-screenshots [OUTPUT_FOLDER] (default docs/screenshots). Runs on the offscreen
// platform unless told otherwise, with settings in a temporary folder of its own.
#include "caldata/CalFactorTable.h"
#include "caldata/CalFile.h"
#include "gui/app/FormMain.h"
#include "gui/app/FormProgress.h"
#include "gui/app/Main.h"
#include "gui/app/StartForm.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/caldata/FormSpecifications.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/locate/FormChooseInterface.h"
#include "gui/locate/FormOptions.h"
#include "gui/locate/Form_EthernetLocator.h"
#include "gui/locate/Form_USBLocator.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_AdapterSetup.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

const QDateTime kPictureTime(QDate(2026, 12, 8), QTime(10, 0));

// The offscreen platform says at every window that it has no window manager to tell things to.
void quietPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

/// Answers every box with its default button and every file dialog with Cancel, and says what
/// it was asked on stderr: nobody is there to click.
class UnattendedPrompts : public Prompts
{
public:
    Answer message(const QString &text, const QString &title, Icon, Buttons, Answer defaultAnswer) override
    {
        QTextStream(stderr) << "message box: " << title << ": " << text << '\n';
        return defaultAnswer;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
};

/// What a window picture needs: the running program.
struct Gallery
{
    SimulatedInstrument &simulator;
    InstrumentSession &session;
    Prompts &prompts;
    FormMain &main;
};

/// One picture: the file name and how to bring the window into the state worth showing. The
/// window returned is shown, grabbed and then deleted (null for a window the main one owns).
struct Shot
{
    const char *fileName;
    std::function<QWidget *(Gallery &)> prepare;
};

/// A window that is worth showing as it opens.
template <class Form>
QWidget *opened(Gallery &g)
{
    return new Form(g.session, g.prompts, &g.main);
}

// One line per window of the program.
const Shot kShots[] = {
    {"main-window.png",
     [](Gallery &g) -> QWidget * {
         // The calibrator's clock at a fixed moment, so the pictures do not change with every run.
         g.simulator.calibrator().memory().setClock(kPictureTime, QDateTime::currentDateTime());
         g.main.Command_GetInfo_Click();
         return nullptr;
     }},
    {"main-window-minimum.png",
     [](Gallery &g) -> QWidget * {
         // The smallest the window can be made: the frames scroll inside it.
         g.main.resize(g.main.minimumSizeHint());
         return nullptr;
     }},
    {"choose-interface.png", opened<FormChooseInterface>},
    {"about.png",
     [](Gallery &g) -> QWidget * {
         auto *about = new StartForm(&g.main);
         about->setOkVisible(true);
         return about;
     }},
    {"progress.png",
     [](Gallery &g) -> QWidget * {
         auto *progress = new FormProgress(&g.main);
         progress->SetMaxLines(60);
         progress->ProgressText(QString(QStringLiteral("ps 001,1.000E-03\r")).repeated(24));
         return progress;
     }},
    {"autolocate.png",
     [](Gallery &g) -> QWidget * {
         auto *locate = new FormAutoLocate(g.session, g.prompts, &g.main);
         locate->show();
         locate->SetShowDetails(true);
         locate->Locate_All();
         return locate;
     }},
    {"ethernet.png",
     [](Gallery &g) -> QWidget * {
         // Showing it finds the virtual calibrator's module and chooses it.
         auto *ethernet = new Form_EthernetLocator(g.session, g.prompts, &g.main);
         ethernet->Command_Advanced_Click();
         return ethernet;
     }},
    {"options.png", opened<FormOptions>},
    {"calibration-factors.png",
     [](Gallery &g) -> QWidget * {
         auto *factors = new FormCalFactors(g.session, g.prompts, {}, &g.main);
         factors->Command_LoadAllCalFactors_Click();
         // One edited cell, light blue until it is written.
         factors->table().commit(2, 1, QStringLiteral("1700"));
         return factors;
     }},
    {"calibration-factors-compared.png",
     [](Gallery &g) -> QWidget * {
         auto *factors = new FormCalFactors(g.session, g.prompts, {}, &g.main);
         factors->Command_LoadAllCalFactors_Click();
         CalFactorTable &shown = factors->table();
         // A backup taken before two factors changed on the instrument and one was edited here
         // the same way: the two are marked, the edit stays light blue.
         shown.commit(2, 1, QStringLiteral("1700"));
         CalFactorTable backup;
         backup.reshapeForFactors();
         for (int row = 1; row < shown.rowCount(); ++row) {
             for (int column = 1; column < shown.columnCount(); ++column)
                 backup.setText(row, column, shown.text(row, column));
         }
         backup.setText(3, 1, QStringLiteral("2090"));
         backup.setText(12, 3, QStringLiteral("30"));
         QTemporaryDir folder;
         const QString path = folder.filePath(CalFile::defaultFileName(kPictureTime.date(), QLocale::c()));
         if (CalFile::save(backup, path))
             factors->FileCompare(path);
         return factors;
     }},
    {"date-and-time.png", opened<FormDate>},
    {"calibration-history.png", opened<Form_CalHistory>},
    {"power-calibration.png", opened<Form_PowerCal>},
    {"kv-amplifier.png", opened<Form_kVAmp>},
    {"output-correction.png", opened<Form_OutputCorrection>},
    {"calibrator-output.png",
     [](Gallery &g) -> QWidget * {
         auto *output = new Form_CalibratorOutput(g.session, g.prompts, &g.main);
         output->findChild<QLineEdit *>(QStringLiteral("Text_SetOutput"))->setText(QStringLiteral("10V"));
         output->Command_SetOutput_Click();
         return output;
     }},
    {"adapter-setup.png", opened<Form_AdapterSetup>},
    {"usb-locator.png",
     [](Gallery &g) -> QWidget * {
         auto *usb = new Form_USBLocator(g.session, g.prompts, &g.main);
         usb->show();
         QCoreApplication::processEvents(); // lists the simulated bridge with its answer
         for (const char *button : {"Command_SelectUSB", "Command_Advanced", "Command_testID"})
             usb->findChild<QPushButton *>(QLatin1String(button))->click();
         return usb;
     }},
    {"specifications.png",
     [](Gallery &g) -> QWidget * {
         auto *specs = new FormSpecifications(g.session, g.prompts, {}, &g.main);
         specs->show();
         specs->Form_Load();
         // One edited figure, light blue until it is written.
         specs->table().commit(3, 1, QStringLiteral("12.5"));
         return specs;
     }},
};

bool save(QWidget *window, const QDir &folder, const char *fileName)
{
    window->show();
    window->raise();
    QCoreApplication::processEvents();
    const QString path = folder.filePath(QString::fromLatin1(fileName));
    if (!window->grab().save(path)) {
        QTextStream(stderr) << "could not write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    // Settings of a picture run go to a folder that is thrown away afterwards.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());

    qInstallMessageHandler(quietPlatformNotes);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(Settings::applicationTitle());

    const QStringList args = QCoreApplication::arguments();
    QDir folder(args.size() > 1 ? args.at(1) : QStringLiteral("docs/screenshots"));
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "cannot create " << folder.path() << '\n';
        return 1;
    }

    UnattendedPrompts prompts;
    InstrumentSession session;
    SimulatedInstrument::Options options;
    options.settingsScope = Settings::applicationTitle() + QStringLiteral(" (screenshots)");
    QString error;
    if (!session.startSimulation(options, &error)) {
        QTextStream(stderr) << "the virtual calibrator could not start: " << error << '\n';
        return 2;
    }
    SimulatedInstrument &simulator = *session.simulation();
    std::unique_ptr<FormMain> main =
        Main(session, prompts, Settings::applicationTitle() + QStringLiteral(" - simulated calibrator"));
    if (!main) {
        QTextStream(stderr) << "the virtual calibrator was not found\n";
        return 3;
    }

    Gallery gallery{simulator, session, prompts, *main};
    bool ok = true;
    for (const Shot &shot : kShots) {
        std::unique_ptr<QWidget> window(shot.prepare(gallery));
        ok = save(window ? window.get() : main.get(), folder, shot.fileName) && ok;
    }
    return ok ? 0 : 1;
}
