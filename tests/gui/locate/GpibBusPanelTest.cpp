#include "gui/locate/GpibBusPanel.h"

#include "fixtures/FakeClock.h"
#include "fixtures/PortBindings.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimGpib.h"
#include "gui/locate/FormOptions.h"
#include "gui/locate/LocationOperations.h"
#include "instrument/IDVM.h"
#include "instrument/gpib/GpibLibrary.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"
#include "sim/gpib/SimGpibBus.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

class GpibBusPanelTest : public ::testing::Test
{
protected:
    template <typename T>
    T *child(const char *name)
    {
        T *widget = panel.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void SetUp() override
    {
        QObject::connect(&panel, &GpibBusPanel::addressChosen, [this](int address) { chosen << address; });
    }

    ScopedFakeClock fake;
    ScriptedPrompts prompts;
    VirtualCalibrator calibrator{QStringLiteral("5241")};
    SimGpibBus bus;
    // The panel's actions are operations of the window it sits in.
    OperationQueue queue;
    QDialog window;
    LocationOperations *operations = new LocationOperations(window, queue, prompts);
    GpibBusPanel panel{bus, prompts, *operations};
    QList<int> chosen;
};

TEST_F(GpibBusPanelTest, SearchListsTheInstrumentsAndPickingOneOffersItsAddress)
{
    bus.attach(calibrator, 6);
    child<QPushButton>("Command_SearchBus")->click();
    auto *list = child<QListWidget>("List_Instruments");
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith(QLatin1String("6: Quorvadine,5241,")));
    EXPECT_FALSE(child<QPushButton>("Command_ChangeAddress")->isEnabled());

    list->setCurrentRow(0);
    EXPECT_EQ(chosen, QList<int>{6});
    EXPECT_TRUE(child<QPushButton>("Command_ChangeAddress")->isEnabled());
}

TEST_F(GpibBusPanelTest, ChangeAddressAsksFirstThenMovesTheInstrument)
{
    bus.attach(calibrator, 6);
    child<QPushButton>("Command_SearchBus")->click();
    child<QListWidget>("List_Instruments")->setCurrentRow(0);
    child<QSpinBox>("Spin_NewAddress")->setValue(14);
    chosen.clear();

    prompts.answers.enqueue(Prompts::Answer::No);
    child<QPushButton>("Command_ChangeAddress")->click();
    EXPECT_NE(bus.deviceAt(6), nullptr);
    EXPECT_TRUE(chosen.isEmpty());

    prompts.answers.enqueue(Prompts::Answer::Yes);
    child<QPushButton>("Command_ChangeAddress")->click();
    EXPECT_NE(bus.deviceAt(14), nullptr);
    EXPECT_EQ(panel.chosenAddress(), 14);
    EXPECT_EQ(chosen, QList<int>{14});
    EXPECT_EQ(prompts.shown.size(), 2);
}

TEST(GpibBusPanel, WithoutALibraryTheSearchIsOffAndTheReasonShows)
{
    ScriptedPrompts prompts;
    GpibLibrary none({QStringLiteral("/nonexistent/libgpib.so.0")});
    OperationQueue queue;
    QDialog window;
    GpibBusPanel panel(none, prompts, *new LocationOperations(window, queue, prompts));
    EXPECT_FALSE(panel.findChild<QPushButton *>(QStringLiteral("Command_SearchBus"))->isEnabled());
    EXPECT_EQ(panel.findChild<QLabel *>(QStringLiteral("Label_BusStatus"))->text(),
              QStringLiteral("GPIB: no IEEE-488.2 library found"));
}

// The options window: an instrument picked from the bus search becomes the GPIB choice.
TEST(FormOptionsGpib, AnInstrumentFoundOnTheBusIsChosenAndStored)
{
    ScopedFakeClock fake;
    ScopedLocateSettings settings(QStringLiteral("options window gpib"));
    ScriptedPrompts prompts;
    SimGpib sim(6);
    InstrumentSession session;
    session.context().setGpibBus(sim.bus);
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    FormOptions form(session, prompts);
    form.show();
    ASSERT_TRUE(form.findChild<QRadioButton *>(QStringLiteral("Option_RS232"))->isChecked());

    form.findChild<QPushButton *>(QStringLiteral("Command_SearchBus"))->click();
    form.findChild<QListWidget *>(QStringLiteral("List_Instruments"))->setCurrentRow(0);
    EXPECT_TRUE(form.findChild<QRadioButton *>(QStringLiteral("Option_GPIB"))->isChecked());
    EXPECT_EQ(form.findChild<QLineEdit *>(QStringLiteral("Text_GPIBAddress"))->text(), QStringLiteral("6"));

    form.findChild<QPushButton *>(QStringLiteral("Command_OK"))->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Settings::value(SettingsKey::Interface), QStringLiteral("GPIB"));
    EXPECT_EQ(Settings::value(SettingsKey::GPIBPort), QStringLiteral("6"));
    EXPECT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify()));
}

} // namespace
