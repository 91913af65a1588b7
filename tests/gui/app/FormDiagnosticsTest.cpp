#include "gui/app/FormDiagnostics.h"

#include "AppTestSupport.h"
#include "diagnostics/DiagnosticsReport.h"
#include "fixtures/FakeSystem.h"
#include "gui/app/FormMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>

namespace {

class FormDiagnosticsTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        system.device(QStringLiteral("/dev/ttyUSB0"));
        SystemChecks::Environment::overrideCurrent(system.env);
    }
    void TearDown() override { SystemChecks::Environment::overrideCurrent(std::nullopt); }

    FakeSystem system;
};

TEST_F(FormDiagnosticsTest, HelpMenuShowsTheReportReadOnlyAndCopiesIt)
{
    FormMain main(session, prompts);
    main.show();
    control<QAction>(main, "HelpDiagnostics")->trigger();

    auto *form = main.findChild<FormDiagnostics *>();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal());
    const QString expected = DiagnosticsReport::text(system.checks().run());
    EXPECT_EQ(form->Text_Report->toPlainText().trimmed(), expected.trimmed());
    EXPECT_TRUE(form->Text_Report->isReadOnly());
    EXPECT_TRUE(expected.contains(QStringLiteral("fix: sudo usermod -aG dialout $USER")));

    control(*form, "Command_Copy")->click();
    EXPECT_EQ(QApplication::clipboard()->text().trimmed(), expected.trimmed());

    // Asked for again while open, the one window comes to the front.
    control<QAction>(main, "HelpDiagnostics")->trigger();
    EXPECT_EQ(main.findChildren<FormDiagnostics *>().size(), 1);

    control(*form, "Command_Close")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.findChildren<FormDiagnostics *>().isEmpty());
}

} // namespace
