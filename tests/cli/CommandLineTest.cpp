#include "cli/CommandLine.h"

#include "CliHarness.h"
#include "cli/CommandGroups.h"

#include <gtest/gtest.h>

namespace {

CommandLine parse(const QStringList &arguments)
{
    return CommandLine::parse(arguments, commandTable());
}

QString commandName(const CommandLine &line)
{
    return line.command() ? line.command()->words.join(QLatin1Char(' ')) : QString();
}

struct PlacementCase
{
    QStringList arguments;
    QString command;
    QStringList commandArguments;
    QString port;
    QString end;
};

void PrintTo(const PlacementCase &c, std::ostream *os)
{
    *os << c.arguments.join(' ').toStdString();
}

class OptionPlacement : public ::testing::TestWithParam<PlacementCase>
{
};

TEST_P(OptionPlacement, OptionsMayStandAnywhere)
{
    const PlacementCase &c = GetParam();
    const CommandLine line = parse(c.arguments);
    ASSERT_TRUE(line.error().isEmpty()) << line.error().toStdString();
    EXPECT_EQ(commandName(line), c.command);
    EXPECT_EQ(line.arguments(), c.commandArguments);
    EXPECT_EQ(line.value(CliOptionName::Port), c.port);
    EXPECT_EQ(line.value(QStringLiteral("end")), c.end);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, OptionPlacement,
    ::testing::Values(
        PlacementCase{{"--port", "/dev/pts/4", "identify"}, "identify", {}, "/dev/pts/4", ""},
        PlacementCase{{"identify", "--port", "/dev/pts/4"}, "identify", {}, "/dev/pts/4", ""},
        PlacementCase{{"identify", "--port=/dev/pts/4"}, "identify", {}, "/dev/pts/4", ""},
        PlacementCase{
            {"send", "--end", "0", "CAL:PRINT", "001", "--port", "3"}, "send", {"CAL:PRINT", "001"}, "3", "0"},
        PlacementCase{{"--end=0", "send", "CAL:PRINT", "--port", "3", "001"}, "send", {"CAL:PRINT", "001"}, "3", "0"},
        // After "--" nothing is an option, so a command text may start with dashes.
        PlacementCase{{"send", "--port", "3", "--", "--end", "-x"}, "send", {"--end", "-x"}, "3", ""}));

struct RejectCase
{
    QStringList arguments;
    QString messagePart;
};

void PrintTo(const RejectCase &c, std::ostream *os)
{
    *os << c.arguments.join(' ').toStdString();
}

class RejectedCommandLine : public ::testing::TestWithParam<RejectCase>
{
};

TEST_P(RejectedCommandLine, IsAUsageErrorThatSaysWhy)
{
    const RejectCase &c = GetParam();
    const CliResult result = runTool(c.arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("calsetup-cli: "))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(c.messagePart)) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, RejectedCommandLine,
    ::testing::Values(RejectCase{{"identify", "--colour"}, "unknown option --colour"},
                      RejectCase{{"-x", "identify"}, "unknown option -x"},
                      RejectCase{{"identify", "--port"}, "--port needs a value (DEVICE)"},
                      RejectCase{{"--port", "--trace", "identify"}, "--port needs a value"},
                      RejectCase{{"send", "T", "--timeout"}, "--timeout needs a value (S)"},
                      RejectCase{{"identify", "--trace=yes"}, "--trace takes no value"},
                      RejectCase{{"--gpib", "3", "identify", "--gpib", "4"}, "--gpib is given twice"},
                      RejectCase{{"identify", "--no-wait"}, "--no-wait does not apply to identify"},
                      RejectCase{{"calibrate"}, "unknown command \"calibrate\""},
                      RejectCase{{"identify", "now"}, "identify takes no arguments"},
                      RejectCase{{"send", "--no-wait"}, "send needs TEXT"},
                      RejectCase{{"cal", "read"}, "cal read needs FILE.cal"},
                      RejectCase{{"spec", "write", "a.spec", "b.spec"},
                                 "too many arguments for spec write (usage: spec write FILE.spec [--no-journal])"},
                      RejectCase{{"cal", "read", "a.cal", "--yes"}, "--yes does not apply to cal read"},
                      RejectCase{{"spec", "clear", "now"}, "spec clear takes no arguments"}));

TEST(CommandLine, LongestCommandWinsAndAPartialNameListsTheChoices)
{
    int (*none)(RunContext &) = nullptr;
    const QList<CliCommand> table = {
        {.words = {"cal"}, .run = none},
        {.words = {"cal", "read"}, .argumentUsage = "FILE", .minArguments = 1, .maxArguments = 1, .run = none},
        {.words = {"spec", "write"}, .run = none},
    };
    const CommandLine read = CommandLine::parse({"cal", "read", "a.cal"}, table);
    ASSERT_TRUE(read.error().isEmpty()) << read.error().toStdString();
    EXPECT_EQ(read.command(), &table[1]);
    EXPECT_EQ(read.arguments(), QStringList{"a.cal"});

    EXPECT_EQ(CommandLine::parse({"cal"}, table).command(), &table[0]);
    EXPECT_EQ(CommandLine::parse({"spec"}, table).error(), "\"spec\" needs one of: spec write");
    EXPECT_EQ(CommandLine::parse({"cal", "read", "a", "b"}, table).error(),
              "too many arguments for cal read (usage: cal read FILE)");
}

TEST(CliUsage, HelpGoesToStdoutAndNoCommandIsAUsageError)
{
    const CliResult help = runTool({"--port", "3", "-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.err.isEmpty());
    for (const CliCommand &command : commandTable())
        EXPECT_TRUE(help.out.contains(command.usageLine())) << command.usageLine().toStdString();

    const CliResult bare = runTool({"--trace"});
    EXPECT_EQ(bare.exitCode, 1);
    EXPECT_TRUE(bare.out.isEmpty());
    EXPECT_EQ(bare.err, help.out);
}

TEST(CliUsage, MalformedValuesAreUsageErrorsBeforeAnythingIsSent)
{
    const QList<QPair<QStringList, QString>> cases = {
        {{"--model", "5241", "identify"}, "--model must be one of 5200, 5600, 6400"},
        {{"--gpib", "31", "identify"}, "--gpib needs an address from 0 to 30"},
        {{"--ethernet", "127.0.0.1", "identify"}, "--ethernet needs IP:PORT"},
        {{"--ethernet", "127.0.0.1:70000", "identify"}, "--ethernet needs IP:PORT"},
        {{"--port", "17", "identify"}, "port number from 1 to 16"},
        {{"--port", "3", "--gpib", "4", "identify"}, "choose one connection, not --port and --gpib"},
        {{"--gpib", "4", "send", "T", "--timeout", "soon"}, "--timeout needs a whole number from 0 to 32767"},
        {{"--gpib", "4", "send", "T", "--end", "2"}, "--end needs a whole number from 0 to 1"},
        {{"--gpib", "4", "send", "L\rSYSTEM:REBOOT"}, "the command must be a single line"},
    };
    for (const auto &[arguments, message] : cases) {
        const CliResult result = runTool(arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

} // namespace
