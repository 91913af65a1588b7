// The windowed program. With --simulate it runs on a virtual calibrator built into the process,
// reached through a pseudo-terminal exactly as a real instrument on a serial port.
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Settings::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(CALSETUP_VERSION));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run on the built-in virtual calibrator."));
    parser.addOption(simulate);
    parser.process(app);

    InstrumentContext context;
    VirtualCalibrator *calibrator = nullptr;
    QString title = Settings::applicationTitle();
    if (parser.isSet(simulate)) {
        Settings::setScope(Settings::applicationTitle() + QStringLiteral(" (simulated)"));
        calibrator = new VirtualCalibrator(QStringLiteral("5241"), &app);
        auto *front = new PtyFront(*calibrator, calibrator);
        if (!front->open()) {
            QMessageBox::critical(nullptr, title, QStringLiteral("The virtual calibrator could not start: ")
                                                      + front->errorString());
            return 2;
        }
        context.portTable().bind(1, front->devicePath());
        title += QStringLiteral(" - simulated calibrator");
    }

    context.setDvm(CreateDVM(Settings::value(SettingsKey::DVM1), context));
    context.dvm1Comm()->setPortNumber(parser.isSet(simulate) ? 1 : Settings::intValue(SettingsKey::CommPort));
    context.dvm()->SetCommControl(context.dvm1Comm());
    context.dvm()->SetInterfaceType(InterfaceRS232);

    QMainWindow window;
    window.setWindowTitle(title);
    auto *central = new QWidget(&window);
    auto *layout = new QVBoxLayout(central);
    auto *identity = new QLabel(central);
    identity->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(new QLabel(context.dvm()->GetDescription(), central));
    layout->addWidget(identity);
    window.setCentralWidget(central);
    window.resize(480, 200);
    window.show();

    const QString id = context.dvm()->Identify().trimmed();
    identity->setText(context.dvm()->CheckIdentity(id) ? id : QStringLiteral("Calibrator Not Found"));
    return app.exec();
}
