// calsetup-cli(1) and the completion's word lists are written from the command table: every
// command and option the tool parses appears in them.
#include "cli/CliManPage.h"

#include "cli/CommandGroups.h"
#include "cli/CommandLine.h"
#include "cli/CompletionTable.h"
#include "platform/ManPage.h"

#include <gtest/gtest.h>

namespace {

TEST(CliManPage, NamesEveryCommandAndOptionOfTheTable)
{
    const QString page = cliManPage(commandTable());
    // One option known by name, so a page that lost the common options entirely fails too.
    EXPECT_TRUE(page.contains(QStringLiteral("\\fB\\-\\-gpib\\fR \\fIADDRESS\\fR")));
    for (const CliOption &option : CommandLine::commonOptions())
        EXPECT_TRUE(page.contains(ManPage::escaped(QStringLiteral("--") + option.name))) << option.name.toStdString();
    for (const CliCommand &command : commandTable()) {
        const QString name = command.words.join(QLatin1Char(' '));
        EXPECT_TRUE(page.contains(QStringLiteral("\\fB%1\\fR").arg(ManPage::escaped(name)))) << name.toStdString();
        EXPECT_TRUE(page.contains(ManPage::escaped(command.summary))) << name.toStdString();
        for (const CliOption &option : command.options) {
            EXPECT_TRUE(page.contains(QStringLiteral("\\fB%1\\fR").arg(ManPage::escaped(QStringLiteral("--") + option.name))))
                << name.toStdString() << " --" << option.name.toStdString();
        }
    }
    EXPECT_TRUE(page.contains(ManPage::escaped(CommandLine::exitStatusText())));
}

CliCommand command(const QStringList &words, const QString &argumentUsage, const QList<CliOption> &options = {})
{
    return {.words = words, .argumentUsage = argumentUsage, .options = options};
}

TEST(CompletionTable, DerivesWhatEachValueAndArgumentMayBe)
{
    const QString table = bashCompletionTable(
        {command({QStringLiteral("cal"), QStringLiteral("diff")}, QStringLiteral("FILE.cal [FILE.cal]")),
         command({QStringLiteral("setup")}, QString(),
                 {{QStringLiteral("specs"), QStringLiteral("FILE"), QString()},
                  {QStringLiteral("end"), QStringLiteral("0|1"), QString()},
                  {QStringLiteral("at"), QStringLiteral("\"YYYY-MM-DD HH:MM\""), QString()},
                  {QStringLiteral("yes"), QString(), QString()}}),
         command({QStringLiteral("it's")}, QStringLiteral("TEXT"))});

    // Command names with a space stay one word; a quote inside one is closed and reopened.
    EXPECT_TRUE(table.contains(QStringLiteral("_calsetup_cli_commands=('cal diff' 'setup' 'it'\\''s')")))
        << table.toStdString();
    EXPECT_TRUE(table.contains(QStringLiteral("['setup']='--specs --end --at --yes'")));
    // Options that take a value (a switch does not), whatever their kind.
    EXPECT_TRUE(table.contains(
        QStringLiteral("_calsetup_cli_value_options=('--port' '--ethernet' '--usb' '--gpib' '--model' "
                       "'--trace-file' '--specs' '--end' '--at')")))
        << table.toStdString();
    EXPECT_TRUE(table.contains(QStringLiteral("['--end']='0 1'")));
    EXPECT_TRUE(table.contains(QStringLiteral("['--model']='5200 5600 6400'")));
    EXPECT_TRUE(table.contains(QStringLiteral("['--gpib']='0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 "
                                              "23 24 25 26 27 28 29 30'")));
    EXPECT_TRUE(table.contains(QStringLiteral("_calsetup_cli_device_options=('--port')")));
    // Files: of the kind the argument names, any file for a plain FILE, none for a date.
    EXPECT_TRUE(table.contains(QStringLiteral("['cal diff']='*.cal'")));
    EXPECT_TRUE(table.contains(QStringLiteral("['--specs']='*'")));
    EXPECT_FALSE(table.contains(QStringLiteral("['--at']")));
    EXPECT_FALSE(table.contains(QStringLiteral("['it'\\''s']='*")));
}

} // namespace
