#include "gui/locate/Form_EthernetLocator.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimEthernet.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class FormEthernetLocatorTest : public ::testing::Test
{
protected:
    void start(int modules)
    {
        sim = std::make_unique<SimEthernet>(modules);
        ASSERT_TRUE(sim->isOpen());
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
        form = std::make_unique<Form_EthernetLocator>(session, prompts);
    }
    void TearDown() override
    {
        form.reset();
        for (const QString &key :
             {SettingsKey::Interface, SettingsKey::EthernetIP, SettingsKey::EthernetPort, SettingsKey::EthernetMAC})
            Settings::remove(key);
    }

    /// Shows the window and lets its first "Find Modules" run to the end.
    void showAndFind()
    {
        form->show();
        QDeadlineTimer cap(10000);
        while (list()->topLevelItemCount() == 0 && prompts.shown.isEmpty() && !cap.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_FALSE(form->isBusy());
    }

    template <typename T>
    T *child(const char *name) const
    {
        T *widget = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeWidget *list() const { return child<QTreeWidget>("ListView_Modules"); }
    QString label(const char *name) const { return child<QLabel>(name)->text(); }
    void press(QWidget *target, int key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
    }

    ScopedFakeClock fake;
    std::unique_ptr<SimEthernet> sim;
    InstrumentSession session;
    ScriptedPrompts prompts;
    std::unique_ptr<Form_EthernetLocator> form;
};

TEST_F(FormEthernetLocatorTest, FindsTheSimulatedModuleOnLoadAndChoosesIt)
{
    start(1);
    EXPECT_EQ(form->windowTitle(), "Ethernet-Serial Setup");
    showAndFind();
    EXPECT_TRUE(prompts.shown.isEmpty());
    ASSERT_EQ(list()->topLevelItemCount(), 1);
    QTreeWidgetItem *row = list()->topLevelItem(0);
    const QStringList headers = {"IP", "MAC", "Port", "DHCP", "Owner", "Device", "Reply"};
    for (int c = 0; c < headers.size(); ++c)
        EXPECT_EQ(list()->headerItem()->text(c), headers[c]);
    EXPECT_EQ(row->text(0), "127.0.0.2");
    EXPECT_EQ(row->text(1), "02-00-00-00-00-01");
    EXPECT_EQ(row->text(3), "Off");
    EXPECT_TRUE(row->text(6).startsWith("Quorvadine,5241,"));

    EXPECT_EQ(label("Label_ActiveIP"), "127.0.0.2           ");
    EXPECT_EQ(label("Label_ActivePort"), QString::number(sim->module().dataPort()));
    EXPECT_TRUE(label("Label_ActiveName").startsWith("Quorvadi 6481 DMM\nQuorvadine,5241,"));
    EXPECT_EQ(Settings::value(SettingsKey::Interface), "Ethernet");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP), "127.0.0.2           ");
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceEthernet);
    EXPECT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify()));
}

TEST_F(FormEthernetLocatorTest, WithTwoModulesTheUserChoosesARow)
{
    start(2);
    showAndFind();
    ASSERT_EQ(list()->topLevelItemCount(), 2);
    EXPECT_EQ(label("Label_ActiveIP").trimmed(), "");
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceRS232);

    // "Select" with no row chosen does nothing; with the second row it adopts that module.
    form->Command_Select_Click();
    EXPECT_EQ(label("Label_ActiveIP").trimmed(), "");
    list()->setCurrentItem(list()->topLevelItem(1));
    child<QPushButton>("Command_Select")->click();
    EXPECT_EQ(label("Label_ActiveIP").trimmed(), "127.0.0.3");
    EXPECT_EQ(label("Label_ActiveMAC").trimmed(), "02-00-00-00-00-02");
    EXPECT_EQ(Settings::value(SettingsKey::EthernetIP).trimmed(), "127.0.0.3");
    EXPECT_EQ(session.dvm()->GetInterfaceType(), InterfaceEthernet);
}

TEST_F(FormEthernetLocatorTest, AdvancedShowsTheSetupCommandsAndTheyReachTheModule)
{
    start(1);
    showAndFind();
    QPushButton *advanced = child<QPushButton>("Command_Advanced");
    QGroupBox *setup = child<QGroupBox>("Frame_Setup");
    EXPECT_EQ(advanced->text(), "Advanced >>");
    EXPECT_FALSE(setup->isVisible());
    advanced->click();
    EXPECT_EQ(advanced->text(), "Advanced <<");
    EXPECT_TRUE(setup->isVisible());
    EXPECT_EQ(child<QLineEdit>("Text_IP")->text(), "192.168.1.123");

    sim->module().behaviour().refused.insert("SSE1");
    child<QPushButton>("Command_SetSerial")->click();
    EXPECT_EQ(prompts.texts(), QStringList{"Enable Soft Entry Failed"});
    EXPECT_FALSE(form->isBusy());
    EXPECT_TRUE(child<QPushButton>("Command_SetSerial")->isEnabled());

    child<QPushButton>("Command9")->click();
    const QString proposal = child<QLineEdit>("Text_IP")->text();
    EXPECT_TRUE(proposal.startsWith("127.0.0.") && proposal != "127.0.0.1") << proposal.toStdString();

    advanced->click();
    EXPECT_EQ(advanced->text(), "Advanced >>");
    EXPECT_FALSE(setup->isVisible());
}

TEST_F(FormEthernetLocatorTest, TestCommunicationBoxSendsOnEnterKeepsTheFocusAndClearsOnEscape)
{
    start(1);
    showAndFind();
    QLineEdit *text2 = child<QLineEdit>("Text2");
    QPlainTextEdit *text1 = child<QPlainTextEdit>("Text1");
    text2->setFocus();
    text2->setText(QStringLiteral("*IDN?"));
    press(text2, Qt::Key_Return);
    EXPECT_TRUE(text1->toPlainText().startsWith("Quorvadine,5241,")) << text1->toPlainText().toStdString();
    // The box is disabled while the line goes out; the next line is typed without clicking back.
    EXPECT_EQ(form->focusWidget(), text2);
    press(text2, Qt::Key_Escape);
    EXPECT_EQ(text2->text(), "");
    EXPECT_TRUE(form->isVisible());
}

// The line under the list says where the search went; the target box refuses a text that is none
// and keeps one that is; a module on another network is added by its address.
TEST_F(FormEthernetLocatorTest, SearchedLineTargetBoxAndAModuleAddedByAddress)
{
    start(1);
    SimEthernet other(1, QStringLiteral("5241"), QHostAddress(QStringLiteral("127.0.1.1")));
    ASSERT_TRUE(other.isOpen());
    other.module().behaviour().mac = QStringLiteral("02-00-00-00-01-01");
    // The other network's fixture took the setting; the window searches the first one.
    Settings::setValue(SettingsKey::EthernetDiscovery, sim->discoveryTarget());
    showAndFind();
    EXPECT_EQ(label("Label_Searched"), "Searched: " + sim->discoveryTarget());
    auto *target = child<QLineEdit>("Text_Discovery");
    EXPECT_EQ(target->text(), sim->discoveryTarget());

    target->setText(QStringLiteral("10.0.0"));
    child<QPushButton>("Command_SetDiscovery")->click();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown.front().text.startsWith("\"10.0.0\" is not a discovery target"));
    EXPECT_EQ(Settings::value(SettingsKey::EthernetDiscovery), sim->discoveryTarget());

    child<QLineEdit>("Text_ModuleAddress")->setText(QStringLiteral("127.0.1.2:%1").arg(other.module().commandPort()));
    child<QPushButton>("Command_AddModule")->click();
    QDeadlineTimer cap(10000);
    while ((form->isBusy() || list()->topLevelItemCount() < 2) && !cap.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(list()->topLevelItemCount(), 2);
    EXPECT_EQ(list()->topLevelItem(1)->text(0), "127.0.1.2");
    EXPECT_EQ(prompts.shown.size(), 1);
}

TEST_F(FormEthernetLocatorTest, NoModuleSaysSoAndListsNothing)
{
    start(1);
    sim->front.close();
    showAndFind();
    EXPECT_EQ(prompts.texts(), QStringList{"No Devices Found"});
    EXPECT_EQ(list()->topLevelItemCount(), 0);
}

} // namespace
