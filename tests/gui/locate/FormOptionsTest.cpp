#include "gui/locate/FormOptions.h"

#include "fixtures/FakeClock.h"
#include "fixtures/PortBindings.h"
#include "fixtures/PtyPeer.h"
#include "fixtures/ScriptedPrompts.h"
#include "instrument/IDVM.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

class FormOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(one.isOpen() && three.isOpen());
        bindOnly(session.context().portTable(), {{1, one.devicePath()}, {3, three.devicePath()}});
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    }

    template <typename T>
    T *control(FormOptions &form, const char *name)
    {
        T *widget = form.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QStringList items(QComboBox *combo)
    {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }

    ScopedFakeClock fake;
    ScopedLocateSettings settings{QStringLiteral("options window")};
    PtyPeer one;
    PtyPeer three;
    InstrumentSession session;
    ScriptedPrompts prompts;
};

TEST_F(FormOptionsTest, OffersThePortsThatOpenAndRelistsThemWhenItOpens)
{
    Settings::setValue(SettingsKey::CommPort, "3");
    FormOptions form(session, prompts);
    form.show();
    auto *ports = control<QComboBox>(form, "Combo_CommPort");
    EXPECT_EQ(items(ports), QStringList({"COM1", "COM3"}));
    EXPECT_EQ(ports->currentText(), "COM3");
    EXPECT_TRUE(ports->itemData(1, Qt::ToolTipRole).toString().contains(three.devicePath()));
    // The chosen port's device is named under the list and follows the choice.
    auto *device = control<QLabel>(form, "Label_PortDevice");
    EXPECT_EQ(device->text(), three.devicePath());
    ports->setCurrentIndex(0);
    EXPECT_EQ(device->text(), one.devicePath());
    EXPECT_TRUE(device->toolTip().contains(one.devicePath()));
    ports->setCurrentIndex(1);
    EXPECT_TRUE(control<QRadioButton>(form, "Option_RS232")->isChecked());
    EXPECT_FALSE(control<QLineEdit>(form, "Text_GPIBAddress")->isEnabled());

    form.hide();
    PtyPeer two;
    bindOnly(session.context().portTable(), {{1, one.devicePath()}, {2, two.devicePath()}, {3, three.devicePath()}});
    form.show();
    EXPECT_EQ(items(ports), QStringList({"COM1", "COM2", "COM3"}));
    EXPECT_EQ(ports->currentText(), "COM3");
}

TEST_F(FormOptionsTest, BadGpibAddressIsReportedAndTheWindowStays)
{
    FormOptions form(session, prompts);
    form.show();
    control<QRadioButton>(form, "Option_GPIB")->setChecked(true);
    auto *address = control<QLineEdit>(form, "Text_GPIBAddress");
    EXPECT_TRUE(address->isEnabled());
    EXPECT_FALSE(control<QComboBox>(form, "Combo_CommPort")->isEnabled());
    address->setText("31");
    control<QPushButton>(form, "Command_OK")->click();

    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, "DVM1: Invalid GPIB Address");
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(Settings::contains(SettingsKey::Interface));

    address->setText("9");
    control<QPushButton>(form, "Command_OK")->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Settings::value(SettingsKey::GPIBPort), "9");
    EXPECT_EQ(session.dvm()->GetDescription(), "Quorvadine 5200\r\nGPIB Address 9");
}

TEST_F(FormOptionsTest, NoSerialPortToChooseIsReported)
{
    bindOnly(session.context().portTable(), {});
    FormOptions form(session, prompts);
    form.show();
    EXPECT_EQ(control<QComboBox>(form, "Combo_CommPort")->count(), 0);
    control<QPushButton>(form, "Command_OK")->click();
    EXPECT_EQ(prompts.texts(), QStringList({"DVM1: Invalid Serial Port"}));
    EXPECT_FALSE(Settings::contains(SettingsKey::CommPort));
}

} // namespace
