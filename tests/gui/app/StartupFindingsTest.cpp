#include "gui/app/StartupFindings.h"

#include "fixtures/FakeSystem.h"
#include "fixtures/ScriptedPrompts.h"
#include "locate/StartupRecovery.h"

#include <gtest/gtest.h>

namespace {

// No calibrator at start-up on a computer with nothing to broadcast on: the box keeps its first
// line and goes on with that problem and its fix, and leaves out what is in order.
TEST(StartupFindings, TheNotFoundBoxNamesAFailingCheckAndItsFix)
{
    FakeSystem system;
    system.env.networkPorts.clear();
    SystemChecks::Environment::overrideCurrent(system.env);
    ScriptedPrompts prompts;
    prompts.chosen.enqueue(int(StartupRecovery::Choice::Quit));
    StartupRecovery recovery(prompts, QStringLiteral("calsetup"), {[] { return false; }, {}, startupFindings});
    EXPECT_FALSE(recovery.run());
    SystemChecks::Environment::overrideCurrent(std::nullopt);

    ASSERT_EQ(prompts.shown.size(), 1);
    const QString text = prompts.shown.front().text;
    EXPECT_EQ(text.section(QLatin1Char('\n'), 0, 0), StartupRecovery::kNotFound);
    EXPECT_TRUE(text.contains("problem  network broadcast: no interface is up that can broadcast"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("fix: connect this computer to the instrument's network")) << text.toStdString();
    EXPECT_FALSE(text.contains("ok  ")) << text.toStdString();
}

} // namespace
