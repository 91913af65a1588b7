#include "fixtures/SimUsb.h"
#include "gui/app/AppTestSupport.h"
#include "gui/app/FormMain.h"
#include "gui/locate/FormAutoLocate.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

// The USB windows in their places: "Configure USB" on the main window and the USB search of the
// location window, against a virtual calibrator behind a simulated bridge.
class UsbLocationTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        usb.addCalibrator(QStringLiteral("5241"), "Quorvadine USB-232", "QV1");
        usb.install(session);
        session.usbDevice.Name = QStringLiteral("Previous");
        session.usbDevice.SerialNumber = QStringLiteral("OLD1");
    }

    SimUsb usb;
};

TEST_F(UsbLocationTest, ConfigureUsbOpensTheUsbWindowModallyAndTheStatusFollowsTheChoice)
{
    FormMain main(session, prompts);
    main.show();
    QPushButton *button = control<QPushButton>(main, "Command_SetupUSB");
    ASSERT_TRUE(button->isEnabled());
    QString shown;
    QTimer::singleShot(0, [&shown] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        shown = QString::fromLatin1(modal->metaObject()->className());
        // The only bridge is taken without selecting its row.
        auto *list = modal->findChild<QPushButton *>(QStringLiteral("Command_Locate"));
        auto *select = modal->findChild<QPushButton *>(QStringLiteral("Command_SelectUSB"));
        if (list && select) {
            list->click();
            select->click();
        }
        modal->close();
    });
    button->click();
    EXPECT_EQ(shown, QStringLiteral("Form_USBLocator"));
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB);
    EXPECT_TRUE(control<QPlainTextEdit>(main, "Text_ConnectionStatus")->toPlainText().contains(QLatin1String("USB")));
    const QString id = session.dvm()->Identify();
    EXPECT_TRUE(session.dvm()->CheckIdentity(id)) << id.toStdString() << " " << prompts.texts().join('|').toStdString();
}

TEST_F(UsbLocationTest, TheLocationWindowSearchesTheUsbBridgesAndShowsItsProgress)
{
    FormAutoLocate form(session, prompts);
    form.SetShowDetails(true);
    EXPECT_TRUE(form.Locate_DVM_USB());
    const QStringList details = rows(form, "Text_Status");
    EXPECT_TRUE(details.contains(QStringLiteral("USB Device \"Quorvadine USB-232\" Found: ")))
        << details.join('|').toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("Using USB Device Quorvadine USB-232 (QV1)")));
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB);
    EXPECT_FALSE(form.isSearching());

    // Nothing answers now: the previous device is back and the details say so.
    usb.calibrators.front()->knobs().silent = true;
    session.usbDevice.SerialNumber = QStringLiteral("OLD1");
    EXPECT_FALSE(form.Locate_DVM_USB());
    EXPECT_EQ(rows(form, "Text_Status").last(), QStringLiteral("No Quorvadine USB DMM Devices Found"));
    EXPECT_EQ(session.usbDevice.SerialNumber, QStringLiteral("OLD1"));
}

} // namespace
