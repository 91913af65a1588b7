#include "cli/CliManPage.h"

#include "cli/CommandLine.h"
#include "platform/ManPage.h"

namespace {

ManPage::Item optionItem(const CliOption &option)
{
    // The parser takes -h for --help as well.
    const QString term =
        option.name == CliOptionName::Help ? QStringLiteral("-h, --help") : QStringLiteral("--") + option.name;
    return {term, option.valueName, option.help};
}

} // namespace

QString cliManPage(const QList<CliCommand> &commands)
{
    ManPage page(QStringLiteral("calsetup-cli"),
                 QStringLiteral("the calibrator setup utility's operations from a shell"));
    page.addSynopsis(QStringLiteral("[connection] COMMAND [ARGS] [OPTIONS]"));
    page.addSynopsis(QStringLiteral("--help"));
    page.addSection(QStringLiteral("Description"));
    page.addParagraph(QStringLiteral(
        "Runs one operation of the setup utility on a calibrator or reference DMM, prints what it read or did and "
        "ends with a status a script can test. Options may stand before, between or after the command words; "
        "\"--\" ends the options, so an argument may start with dashes. Commands that write to the instrument "
        "keep a record in the change journal and a snapshot of a table before a whole-table change."));

    QList<ManPage::Item> connection;
    QList<ManPage::Item> other;
    for (const CliOption &option : CommandLine::commonOptions())
        (CommandLine::isConnectionOption(option) ? connection : other) << optionItem(option);
    page.addSection(QStringLiteral("Connection"));
    page.addParagraph(QStringLiteral("Without one of these, the connection saved by calsetup or by \"locate\", "
                                     "\"usb select\" or \"ethernet select\" is used."));
    page.addItems(connection);
    page.addSection(QStringLiteral("Other options"));
    page.addItems(other);

    page.addSection(QStringLiteral("Commands"));
    QList<ManPage::Item> commandItems;
    for (const CliCommand &command : commands) {
        QString text = command.summary;
        if (!command.json.isEmpty())
            text += QStringLiteral(". JSON: ") + command.json;
        ManPage::Item item{command.words.join(QLatin1Char(' ')), command.argumentUsage, text};
        for (const CliOption &option : command.options)
            item.items << optionItem(option);
        commandItems << item;
    }
    page.addItems(commandItems);

    page.addSection(QStringLiteral("Exit status"));
    page.addParagraph(CommandLine::exitStatusText());
    page.addSection(QStringLiteral("Files"));
    page.addParagraph(
        QStringLiteral("The settings are those of calsetup. The change journal and the table snapshots "
                       "are kept in the user's data folder; \"calsetup-cli journal path\" prints where."));
    page.addSection(QStringLiteral("See also"));
    page.addParagraph(QStringLiteral("calsetup(1), calsim(1)"));
    return page.text();
}
