#include "fixtures/PortBindings.h"
#include "fixtures/SimEthernet.h"
#include "fixtures/UdpPeer.h"
#include "gui/app/AppTestSupport.h"
#include "gui/app/FormMain.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/locate/Form_EthernetLocator.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

using EthernetFromOtherWindows = AppTest;

TEST_F(EthernetFromOtherWindows, ConfigureEthernetOpensTheWindowModallyAndTheStatusFollowsTheChoice)
{
    SimEthernet ethernet;
    ASSERT_TRUE(ethernet.isOpen());
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    FormMain main(session, prompts);
    QAbstractButton *configure = control(main, "Command_SetupEthernet");
    ASSERT_TRUE(configure->isEnabled());

    // While the window is open (modal), wait for its discovery to choose the module, then leave.
    bool sawWindow = false;
    QTimer watcher;
    QDeadlineTimer cap(15000);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto *window = qobject_cast<Form_EthernetLocator *>(QApplication::activeModalWidget());
        if (!window) {
            if (cap.hasExpired())
                watcher.stop();
            return;
        }
        sawWindow = true;
        auto *list = window->findChild<QTreeWidget *>(QStringLiteral("ListView_Modules"));
        if ((list->topLevelItemCount() == 1 && !window->isBusy()) || cap.hasExpired())
            window->findChild<QPushButton *>(QStringLiteral("Command_Exit"))->click();
    });
    watcher.start(10);
    configure->click();
    watcher.stop();

    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceEthernet);
    const QStringList status = rows(main, "Text_ConnectionStatus");
    EXPECT_TRUE(status.join(QLatin1Char('|')).contains(QLatin1String("Ethernet"))) << status.join('|').toStdString();
    EXPECT_TRUE(status.join(QLatin1Char('|')).contains(QLatin1String("127.0.0.2"))) << status.join('|').toStdString();
}

TEST_F(EthernetFromOtherWindows, LocateDvmEthernetReportsInTheLocationWindow)
{
    bindOnly(session.context().portTable(), {});
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    FormAutoLocate form(session, prompts);
    form.SetShowDetails(true);
    {
        SimEthernet ethernet;
        ASSERT_TRUE(ethernet.isOpen());
        EXPECT_TRUE(form.Locate_DVM_Ethernet());
        const QString details = rows(form, "Text_Status").join(QLatin1Char('|'));
        EXPECT_TRUE(details.contains(QLatin1String("** Using Ethernet  127.0.0.2 Quorvadine,5241,")))
            << details.toStdString();
        EXPECT_TRUE(control<QLabel>(form, "Label_Progress")->text().startsWith("Using Ethernet  Quorvadine,5241,"));
        EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceEthernet);
        EXPECT_EQ(Settings::value(SettingsKey::Interface), "Ethernet");
        EXPECT_FALSE(form.isSearching());
    }
    // With the modules gone, nobody answers at the discovery target.
    UdpPeer nobody;
    Settings::setValue(SettingsKey::EthernetDiscovery, QStringLiteral("127.0.0.1:%1").arg(nobody.port()));
    EXPECT_FALSE(form.Locate_DVM_Ethernet());
    EXPECT_TRUE(rows(form, "Text_Status").contains(QStringLiteral("No Ethernet Devices")));
    EXPECT_EQ(nobody.received, QList<QByteArray>{"X"});
    Settings::remove(SettingsKey::EthernetDiscovery);
}

} // namespace
