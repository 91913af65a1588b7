// Renders every window of the program, running on the built-in virtual calibrator, into PNG
// files: calsetup-screenshots [OUTPUT_FOLDER] (default docs/screenshots). Runs on the offscreen
// platform unless told otherwise, with settings in a temporary folder of its own.
#include "caldata/CalFactorTable.h"
#include "caldata/CalFile.h"
#include "diagnostics/SystemChecks.h"
#include "gui/app/FormDiagnostics.h"
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
#include "gui/records/FormChangeJournal.h"
#include "gui/records/FormCommunicationLog.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"
#include "records/TraceLog.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
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

/// A record of the picture's journal, at a fixed time so the picture stays the same.
JournalRecord pictureRecord(int minutes, const QString &operation, const QString &identity)
{
    JournalRecord r;
    r.time = kPictureTime.toUTC().addSecs(60 * minutes);
    r.user = QStringLiteral("ana");
    r.host = QStringLiteral("bench-3");
    r.programName = QStringLiteral("calsetup");
    r.programVersion = QStringLiteral(CALSETUP_VERSION);
    r.operation = operation;
    r.instrument = InstrumentIdentity::fromAnswer(identity);
    r.connection = QStringLiteral("RS-232 port 1 (/dev/ttyUSB0)");
    r.outcome = JournalOutcome::Done;
    return r;
}

/// A file a record of the picture names. The file is not there; its digest is made from its name.
FileReference pictureFile(const QString &path)
{
    return {path, DurableFiles::sha256Hex(path.toUtf8())};
}

/// Four records of two instruments: a clear and a specification write with their snapshots, a
/// factor write, a refused load of another instrument's file.
void writePictureJournal()
{
    const QString first = QStringLiteral("Quorvadine,5241,SN4711,3.07");
    const QString second = QStringLiteral("Quorvadine,5241,SN5020,3.07");
    JournalRecord clear = pictureRecord(0, QStringLiteral("cal clear"), first);
    clear.snapshot =
        pictureFile(DataFolders::snapshotFolder() + QStringLiteral("/SN4711-20261208-100000-cal-clear.cal"));
    JournalRecord write = pictureRecord(4, QStringLiteral("cal write"), first);
    write.file = pictureFile(QStringLiteral("/home/ana/SN4711.cal"));
    write.changes = {{TableKind::Factors, 12, 0, QStringLiteral("1000"), QStringLiteral("1002"), true},
                     {TableKind::Factors, 12, 1, QStringLiteral("998"), QStringLiteral("1001"), true},
                     {TableKind::Factors, 13, 0, QStringLiteral("1003"), QStringLiteral("1000"), true}};
    JournalRecord spec = pictureRecord(11, QStringLiteral("Save To Calibrator"), second);
    spec.connection = QStringLiteral("Ethernet 127.0.0.1:50000");
    spec.file = pictureFile(QStringLiteral("/home/ana/5241 default.spec"));
    spec.snapshot =
        pictureFile(DataFolders::snapshotFolder() + QStringLiteral("/SN5020-20261208-101100-Save-To-Calibrator.spec"));
    spec.changes = {{TableKind::Specifications, 4, 1, QStringLiteral("12.5"), QStringLiteral("12.0"), true},
                    {TableKind::Specifications, 4, 2, QStringLiteral("3"), QStringLiteral("2.5"), true},
                    {TableKind::Specifications, 5, 1, QStringLiteral("15"), QStringLiteral("14"), false}};
    spec.outcome = JournalOutcome::Partial;
    JournalRecord refused = pictureRecord(15, QStringLiteral("cal write"), second);
    refused.file = pictureFile(QStringLiteral("/home/ana/SN4711.cal"));
    refused.outcome = JournalOutcome::Refused;
    for (JournalRecord *r : {&clear, &write, &spec, &refused})
        ChangeJournal(DataFolders::journalPath()).append(*r);
}

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
    {"diagnostics.png",
     [](Gallery &g) -> QWidget * {
         // A computer with two things in the way: an adapter in a group the user has not joined,
         // and a lock left by a program that has ended.
         static QTemporaryDir root;
         const auto put = [](const QString &path, const QByteArray &text = {}) {
             QDir().mkpath(QFileInfo(root.filePath(path)).path());
             QFile file(root.filePath(path));
             file.open(QIODevice::WriteOnly);
             file.write(text);
             file.close();
             QFile::setPermissions(file.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                        QFile::WriteGroup);
         };
         put(QStringLiteral("dev/ttyUSB0"));
         put(QStringLiteral("run/lock/LCK..ttyUSB1"), "     31337\n");
         put(QStringLiteral("usr/lib/udev/rules.d/70-calsetup.rules"),
             R"(SUBSYSTEM=="usb", ATTR{idVendor}=="0403", ATTR{idProduct}=="6001", TAG+="uaccess")");
         put(QStringLiteral("usr/lib/x86_64-linux-gnu/libgpib.so.0"));
         QDir().mkpath(root.filePath(QStringLiteral("home/engineer")));
         SystemChecks::Environment env;
         env.system.root = root.path();
         env.system.uid = 1000;
         env.system.groupName = [](uint) { return QStringLiteral("dialout"); };
         env.libraryFolders = {QStringLiteral("/usr/lib/x86_64-linux-gnu")};
         env.gpibCandidates = {QStringLiteral("libgpib.so.0")};
         env.networkPorts = {{QStringLiteral("enp3s0"), {QStringLiteral("192.168.1.255")}}};
         env.settingsFolder = QStringLiteral("/home/engineer/.config/calsetup");
         env.dataFolder = QStringLiteral("/home/engineer/.local/share/calsetup");
         SystemChecks::Environment::overrideCurrent(env);
         auto *form = new FormDiagnostics(g.session, g.prompts, &g.main);
         SystemChecks::Environment::overrideCurrent(std::nullopt);
         return form;
     }},
    {"change-journal.png",
     [](Gallery &g) -> QWidget * {
         writePictureJournal();
         auto *journal = new FormChangeJournal(g.prompts, nullptr, &g.main);
         auto *records = journal->findChild<QTableView *>(QStringLiteral("Grid_Records"));
         records->setCurrentIndex(records->model()->index(1, 0));
         journal->Command_VerifyChain_Click();
         return journal;
     }},
    {"communication-log.png",
     [](Gallery &g) -> QWidget * {
         // The log listening while the factor window loads every range from the calibrator, then
         // one command the calibrator refuses (no such range), in colour.
         auto *log = new FormCommunicationLog(g.prompts, &g.main);
         auto *factors = new FormCalFactors(g.session, g.prompts, {}, &g.main);
         factors->Command_LoadAllCalFactors_Click();
         g.session.channel().exchange({QStringLiteral("CAL:PRINT 999"), true, 2, 1});
         delete factors;
         log->log().flush();
         return log;
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
    QDir folder(QDir(args.size() > 1 ? args.at(1) : QStringLiteral("docs/screenshots")).absolutePath());
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "cannot create " << folder.path() << '\n';
        return 1;
    }
    // The change journal and its snapshots go to a folder thrown away afterwards too. It is named
    // from a temporary working folder, so the path the journal window shows is the same each run.
    QTemporaryDir dataHome;
    if (!QDir::setCurrent(dataHome.path())) {
        QTextStream(stderr) << "cannot use " << dataHome.path() << '\n';
        return 1;
    }
    DataFolders::setRootOverride(QStringLiteral("calsetup-data"));

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
