#include "gui/locate/FormAutoLocate.h"

#include "fixtures/FakeClock.h"
#include "fixtures/PortBindings.h"
#include "fixtures/PtyPeer.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QStringList entries(const QListWidget *list)
{
    QStringList out;
    for (int row = 0; row < list->count(); ++row)
        out << list->item(row)->text();
    return out;
}

/// The location window offscreen, against a silent port 1 and the virtual calibrator on port 2.
class FormAutoLocateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen() && silent.isOpen());
        bindOnly(session.context().portTable(), {{1, silent.devicePath()}, {2, sim.devicePath()}});
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    }

    template <typename T>
    T *control(FormAutoLocate &form, const char *name)
    {
        T *widget = form.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString found()
    {
        const InstrumentMemory &m = sim.memory();
        return QStringLiteral("Found Quorvadine,5241,%1,%2\nOn port 2")
            .arg(QString::fromLatin1(m.serialNumber()), QString::fromLatin1(m.firmwareVersion()));
    }

    ScopedFakeClock fake;
    ScopedLocateSettings settings{QStringLiteral("window")};
    SimPty sim;
    PtyPeer silent;
    InstrumentSession session;
    ScriptedPrompts prompts;
};

TEST_F(FormAutoLocateTest, LoadingListsThePortsThatOpenWithTheStoredSelections)
{
    Settings::setValue(SettingsKey::CommPort, "2");
    FormAutoLocate form(session, prompts);

    EXPECT_EQ(form.windowTitle(), "Automatic 5200 Series Location");
    auto *instrumentList = control<QListWidget>(form, "List_RS2321");
    auto *scannerList = control<QListWidget>(form, "List_RS232S");
    EXPECT_EQ(entries(instrumentList), QStringList({"COM1", "COM2"}));
    EXPECT_EQ(entries(scannerList), QStringList({"COM1", "COM2"}));
    EXPECT_EQ(instrumentList->currentRow(), 1);
    // No "ScannerCommPort": a scanner on port 1 is assumed.
    EXPECT_TRUE(control<QCheckBox>(form, "Check_Scanner")->isChecked());
    EXPECT_TRUE(scannerList->isEnabled());
    EXPECT_EQ(scannerList->currentRow(), 0);
}

TEST_F(FormAutoLocateTest, NoScannerClearsTheBoxAndDisablesItsList)
{
    Settings::setValue(SettingsKey::ScannerCommPort, "0");
    FormAutoLocate form(session, prompts);
    EXPECT_FALSE(control<QCheckBox>(form, "Check_Scanner")->isChecked());
    EXPECT_FALSE(control<QListWidget>(form, "List_RS232S")->isEnabled());
    EXPECT_EQ(control<QListWidget>(form, "List_RS232S")->currentRow(), -1);
}

TEST_F(FormAutoLocateTest, DetailsButtonShowsAndHidesThePaneAndTheWindowFollows)
{
    FormAutoLocate form(session, prompts);
    form.show();
    auto *details = control<QPushButton>(form, "Command_Details");
    auto *status = control<QPlainTextEdit>(form, "Text_Status");

    form.SetShowDetails(false);
    EXPECT_EQ(details->text(), "Details >>");
    EXPECT_FALSE(status->isVisible());
    const int compact = form.height();

    details->click();
    EXPECT_EQ(details->text(), "Details <<");
    EXPECT_TRUE(status->isVisible());
    EXPECT_GT(form.height(), compact + 100);

    details->click();
    EXPECT_EQ(details->text(), "Details >>");
    EXPECT_EQ(form.height(), compact);
}

TEST_F(FormAutoLocateTest, FoundSearchFillsTheLabelsAndDetailsAndKeepsOkBold)
{
    FormAutoLocate form(session, prompts);
    form.show();
    form.SetShowDetails(false);

    EXPECT_TRUE(form.Locate_All());

    EXPECT_EQ(control<QLabel>(form, "Label_Result")->text(), "Instrument Found");
    EXPECT_EQ(control<QLabel>(form, "Label_Progress")->text(), found());
    EXPECT_EQ(control<QPlainTextEdit>(form, "Text_Status")->toPlainText(),
              QStringLiteral("Checking Serial Ports\nChecking Port 1\nNo Reply\nChecking Port 2\n") + found());
    EXPECT_TRUE(form.okIsBold());
    EXPECT_TRUE(control<QPushButton>(form, "Command_OK")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(form, "Command_Retry")->isEnabled());
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "2");
    EXPECT_EQ(session.dvm()->GetDescription(), "Quorvadine 5200\r\nRS232 Port 2");
}

TEST_F(FormAutoLocateTest, AFailedSearchTakesTheBoldFontAwayForGood)
{
    bindOnly(session.context().portTable(), {{1, silent.devicePath()}});
    FormAutoLocate form(session, prompts);
    form.show();

    EXPECT_FALSE(form.Locate_All());
    EXPECT_EQ(control<QLabel>(form, "Label_Result")->text(), "No Instrument Found");
    EXPECT_EQ(control<QLabel>(form, "Label_Progress")->text(), "No instruments found.");
    EXPECT_EQ(control<QPlainTextEdit>(form, "Text_Status")->toPlainText(),
              "Checking Serial Ports\nChecking Port 1\nNo Reply\nNo Meter Found on serial ports");
    EXPECT_FALSE(form.okIsBold());
    EXPECT_EQ(session.context().dvm1Comm()->portNumber(), 1);

    // The calibrator comes back; Retry finds it, starting afresh, but OK stays plain.
    bindOnly(session.context().portTable(), {{1, silent.devicePath()}, {2, sim.devicePath()}});
    control<QPushButton>(form, "Command_Retry")->click();
    EXPECT_EQ(control<QLabel>(form, "Label_Result")->text(), "Instrument Found");
    EXPECT_EQ(control<QLabel>(form, "Label_Progress")->text(), found());
    EXPECT_FALSE(control<QPlainTextEdit>(form, "Text_Status")->toPlainText().contains("No Meter Found"));
    EXPECT_FALSE(form.okIsBold());
}

TEST_F(FormAutoLocateTest, WindowStaysUpAndItsButtonsAreOffWhileTheSearchRuns)
{
    FormAutoLocate form(session, prompts);
    form.show();
    auto *ok = control<QPushButton>(form, "Command_OK");
    auto *retry = control<QPushButton>(form, "Command_Retry");
    bool checked = false;
    // Events run during the search: the label changes are seen as they happen, and a close
    // request meanwhile is refused rather than pulling the window from under the search.
    QObject::connect(control<QPlainTextEdit>(form, "Text_Status"), &QPlainTextEdit::textChanged, [&] {
        // From the port listing on (the title changes once the ports are asked).
        if (checked || !form.isSearching() || form.windowTitle() != QLatin1String("Automatic 5200 Location"))
            return;
        checked = true;
        EXPECT_FALSE(ok->isEnabled());
        EXPECT_FALSE(retry->isEnabled());
        EXPECT_EQ(control<QLabel>(form, "Label_Result")->text(), "Searching...");
        form.close();
        EXPECT_FALSE(form.Locate_All());
    });

    EXPECT_TRUE(form.Locate_All());
    EXPECT_TRUE(checked);
    EXPECT_TRUE(form.isVisible());
    ok->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FormAutoLocateTest, Find6481SearchesTheListedPortsAlone)
{
    FormAutoLocate form(session, prompts);
    form.show();
    form.SetShowDetails(true);
    control<QPushButton>(form, "Command_Locate6481")->click();
    EXPECT_EQ(control<QPlainTextEdit>(form, "Text_Status")->toPlainText(),
              QStringLiteral("Checking Port 1\nNo Reply\nChecking Port 2\n") + found());
    EXPECT_EQ(Settings::value(SettingsKey::CommPort), "2");
}

} // namespace
