// The manual page writer: what roff would take as its own is escaped, options print as typed,
// and the page's lists come out in the order given.
#include "platform/ManPage.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct EscapeCase
{
    const char *plain;
    const char *roff;
};

void PrintTo(const EscapeCase &c, std::ostream *os)
{
    *os << c.plain;
}

class ManPageEscape : public ::testing::TestWithParam<EscapeCase>
{
};

TEST_P(ManPageEscape, PrintsAsWritten)
{
    EXPECT_EQ(ManPage::escaped(QString::fromUtf8(GetParam().plain)).toStdString(), GetParam().roff);
}

INSTANTIATE_TEST_SUITE_P(
    ManPage, ManPageEscape,
    ::testing::Values(
        // A hyphen prints as a minus sign, so an option copied from the page works in a shell.
        EscapeCase{"--no-journal", "\\-\\-no\\-journal"},
        // A backslash would start an escape.
        EscapeCase{"C:\\cal\\meter.cal", "C:\\ecal\\emeter.cal"},
        // At the start of a line, a dot or a quote would make the line a request.
        EscapeCase{".spec files", "\\&.spec files"}, EscapeCase{"'quoted' word", "\\&'quoted' word"},
        EscapeCase{"a .spec file", "a .spec file"},
        // A line break in a text would end the paragraph's line and could start one with a dot.
        EscapeCase{"first line\n.second line", "first line .second line"},
        EscapeCase{"  spaced   out\t", "spaced out"}));

TEST(ManPage, ListsOptionsInOrderWithoutHiddenOnes)
{
    QCommandLineOption hidden(QStringLiteral("man"), QStringLiteral("for the build"));
    hidden.setFlags(QCommandLineOption::HiddenFromHelp);
    const QList<ManPage::Item> items = ManPage::optionItems(
        {QCommandLineOption(QStringList{QStringLiteral("s"), QStringLiteral("serial")}, QStringLiteral("Serve.")),
         hidden, QCommandLineOption(QStringLiteral("delay"), QStringLiteral("Wait MS."), QStringLiteral("MS"))});

    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].term, QStringLiteral("-s, --serial"));
    EXPECT_TRUE(items[0].argument.isEmpty());
    EXPECT_EQ(items[1].term, QStringLiteral("--delay"));
    EXPECT_EQ(items[1].argument, QStringLiteral("MS"));
    EXPECT_EQ(items[1].text, QStringLiteral("Wait MS."));
}

TEST(ManPage, WritesSectionsAndNestedEntries)
{
    ManPage page(QStringLiteral("calsetup-cli"), QStringLiteral("a tool"));
    page.addSynopsis(QStringLiteral("COMMAND"));
    page.addSynopsis(QStringLiteral("--help"));
    page.addSection(QStringLiteral("Commands"));
    page.addItems({{QStringLiteral("cal write"),
                    QStringLiteral("FILE.cal"),
                    QStringLiteral("write the factors"),
                    {{QStringLiteral("--no-verify"), QString(), QString()}}},
                   {QStringLiteral("journal"), QString(), QStringLiteral("list the records")}});
    const QString text = page.text();

    EXPECT_TRUE(text.startsWith(QStringLiteral(".TH CALSETUP\\-CLI 1 \"\" \"calsetup\\-cli %1\"")
                                    .arg(QStringLiteral(CALSETUP_VERSION))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(".SH NAME\ncalsetup\\-cli \\- a tool\n")));
    // The second synopsis line starts a line of its own.
    EXPECT_TRUE(text.contains(
        QStringLiteral(".SH SYNOPSIS\n\\fBcalsetup\\-cli\\fR COMMAND\n.br\n\\fBcalsetup\\-cli\\fR \\-\\-help\n")));
    // A command's own options are indented under it, and an entry without a text still has a
    // line of its own, or the next entry's tag would be printed as its text.
    EXPECT_TRUE(text.contains(QStringLiteral(".SH COMMANDS\n.TP\n\\fBcal write\\fR \\fIFILE.cal\\fR\nwrite the factors\n"
                                             ".RS\n.TP\n\\fB\\-\\-no\\-verify\\fR\n\\&\n.RE\n"
                                             ".TP\n\\fBjournal\\fR\nlist the records\n")))
        << text.toStdString();
}

TEST(ManPage, IsRequestedByManAlone)
{
    char program[] = "calsim";
    char man[] = "--man";
    char serial[] = "--serial";
    char *alone[] = {program, man};
    char *withOther[] = {program, man, serial};
    char *other[] = {program, serial};
    EXPECT_TRUE(ManPage::requested(2, alone));
    EXPECT_FALSE(ManPage::requested(3, withOther));
    EXPECT_FALSE(ManPage::requested(2, other));
    EXPECT_FALSE(ManPage::requested(1, alone));
}

} // namespace
