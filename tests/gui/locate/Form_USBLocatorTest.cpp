#include "gui/locate/Form_USBLocator.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimUsb.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class Form_USBLocatorTest : public ::testing::Test
{
protected:
    Form_USBLocatorTest()
    {
        Settings::setValue(SettingsKey::USBName, QStringLiteral("Saved cable"));
        Settings::setValue(SettingsKey::USBSerialNumber, QStringLiteral("QV1"));
        session.setDvm(CreateDVM(QStringLiteral("6400"), session.context()));
        sim.install(session);
    }
    ~Form_USBLocatorTest() override
    {
        for (const QString &key : {SettingsKey::Interface, SettingsKey::USBName, SettingsKey::USBSerialNumber})
            Settings::remove(key);
    }

    template <typename T>
    T *child(const char *name)
    {
        T *widget = form.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QStringList column(int c)
    {
        QStringList texts;
        QTreeWidget *list = child<QTreeWidget>("ListView_USBDevices");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(c);
        return texts;
    }
    void showAndLoad()
    {
        form.show();
        QCoreApplication::processEvents(); // the listing starts once the window is up
    }
    void press(QWidget *target, int key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
    }

    ScopedFakeClock fake;
    SimUsb sim;
    InstrumentSession session;
    ScriptedPrompts prompts;
    Form_USBLocator form{session, prompts};
};

TEST_F(Form_USBLocatorTest, ShowingListsTheDevicesWithTheirAnswersAndTheActiveModule)
{
    sim.addCalibrator(QStringLiteral("6481"), "Quorvadine USB-232", "QV1");
    sim.addSilent("Other cable", "QV2");
    showAndLoad();
    EXPECT_EQ(column(0), (QStringList{"Quorvadine USB-232", "Other cable"}));
    EXPECT_EQ(column(1), (QStringList{"QV1", "QV2"}));
    EXPECT_TRUE(column(2)[0].startsWith(QLatin1String("Quorvadine,6481,"))) << column(2)[0].toStdString();
    EXPECT_EQ(column(2)[1], QStringLiteral("No Reply"));
    EXPECT_EQ(child<QLabel>("Label_ActiveName")->text(), QStringLiteral("Saved cable"));
    EXPECT_EQ(child<QLabel>("Label_ActiveSerialNumber")->text(), QStringLiteral("QV1"));
    EXPECT_FALSE(child<QGroupBox>("Frame_Test")->isVisible());
    EXPECT_FALSE(child<QLabel>("Label_Access")->isVisible());

    // The selected row becomes the device in use, shown in the frame and used by DVM.
    QTreeWidget *list = child<QTreeWidget>("ListView_USBDevices");
    list->setCurrentItem(list->topLevelItem(1));
    child<QPushButton>("Command_SelectUSB")->click();
    EXPECT_EQ(prompts.texts().last(), QStringLiteral("QV2 selected"));
    EXPECT_EQ(child<QLabel>("Label_ActiveName")->text(), QStringLiteral("Other cable"));
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceUSB);

    child<QPushButton>("Command_Exit")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(Form_USBLocatorTest, TheTestBoxSendsOnEnterEmptiesOnEscapeAndClearsOnAClick)
{
    sim.addCalibrator(QStringLiteral("6481"), "Quorvadine USB-232", "QV1");
    showAndLoad();
    QPushButton *advanced = child<QPushButton>("Command_Advanced");
    EXPECT_EQ(advanced->text(), QStringLiteral("Advanced >>"));
    advanced->click();
    EXPECT_EQ(advanced->text(), QStringLiteral("Advanced <<"));
    EXPECT_TRUE(child<QGroupBox>("Frame_Test")->isVisible());

    QLineEdit *text1 = child<QLineEdit>("Text1");
    QPlainTextEdit *text2 = child<QPlainTextEdit>("Text2");
    text1->setText(QStringLiteral("*IDN?"));
    press(text1, Qt::Key_Return);
    EXPECT_TRUE(text2->toPlainText().startsWith(QLatin1String("Quorvadine,6481,")))
        << text2->toPlainText().toStdString();
    EXPECT_TRUE(form.isVisible()) << "Enter sends, it does not press a button";

    child<QPushButton>("Command_testID")->click();
    EXPECT_EQ(text2->toPlainText().count(QLatin1String("Quorvadine,6481,")), 2);

    press(text1, Qt::Key_Escape);
    EXPECT_TRUE(text1->text().isEmpty());
    EXPECT_TRUE(form.isVisible()) << "Escape empties the box, it does not close the window";

    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(text2->viewport(), &click);
    EXPECT_TRUE(text2->toPlainText().isEmpty());

    advanced->click();
    EXPECT_FALSE(child<QGroupBox>("Frame_Test")->isVisible());
}

} // namespace
