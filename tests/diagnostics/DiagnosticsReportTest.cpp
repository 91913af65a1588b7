#include "diagnostics/DiagnosticsReport.h"

#include <gtest/gtest.h>

TEST(DiagnosticsReport, TextPutsTheFixUnderEachProblemOnly)
{
    const QList<SystemCheck> checks{
        {QStringLiteral("network broadcast"), true, QStringLiteral("eth0 10.0.0.255"), {}},
        {QStringLiteral("serial /dev/ttyUSB0"), false, QStringLiteral("you are not in dialout"),
         QStringLiteral("sudo usermod -aG dialout $USER, then log out and in again")},
    };
    EXPECT_EQ(DiagnosticsReport::text(checks),
              QStringLiteral("ok  network broadcast: eth0 10.0.0.255\n"
                             "problem  serial /dev/ttyUSB0: you are not in dialout\n"
                             "    fix: sudo usermod -aG dialout $USER, then log out and in again\n"));
    EXPECT_FALSE(DiagnosticsReport::allPassed(checks));
    EXPECT_TRUE(DiagnosticsReport::allPassed({checks.first()}));
}

TEST(DiagnosticsReportProblems, OnlyTheFailingChecksWithTheirFixes)
{
    const SystemCheck good{QStringLiteral("data folder"), true, QStringLiteral("writable"), {}};
    const SystemCheck bad{QStringLiteral("serial /dev/ttyUSB0"), false, QStringLiteral("crw-rw---- root:dialout"),
                          QStringLiteral("sudo usermod -aG dialout $USER")};
    const struct
    {
        const char *name;
        QList<SystemCheck> checks;
        QString expected;
    } cases[] = {
        {"all pass", {good, good}, ""},
        {"nothing checked", {}, ""},
        {"one of two fails",
         {good, bad},
         "problem  serial /dev/ttyUSB0: crw-rw---- root:dialout\n    fix: sudo usermod -aG dialout $USER\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DiagnosticsReport::problems(c.checks), c.expected) << c.name;
}
