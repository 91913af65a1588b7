#include "platform/ManPage.h"

#include <cstring>

ManPage::ManPage(const QString &program, const QString &summary) : m_program(program)
{
    // No date in the header: a page built twice from the same sources is the same file.
    m_text = QStringLiteral(".TH %1 1 \"\" \"%2 %3\" \"User Commands\"\n")
                 .arg(escaped(program.toUpper()), escaped(program), QStringLiteral(CALSETUP_VERSION));
    // Option names and table rows must not be hyphenated or stretched across a line.
    m_text += QStringLiteral(".nh\n.ad l\n");
    addSection(QStringLiteral("NAME"));
    m_text += QStringLiteral("%1 \\- %2\n").arg(escaped(program), escaped(summary));
}

bool ManPage::requested(int argc, char **argv)
{
    return argc == 2 && std::strcmp(argv[1], "--man") == 0;
}

void ManPage::addSynopsis(const QString &arguments)
{
    if (!m_text.contains(QLatin1String("\n.SH SYNOPSIS\n")))
        addSection(QStringLiteral("SYNOPSIS"));
    else
        m_text += QStringLiteral(".br\n");
    m_text += QStringLiteral("\\fB%1\\fR %2\n").arg(escaped(m_program), escaped(arguments));
}

void ManPage::addSection(const QString &title)
{
    m_text += QStringLiteral(".SH %1\n").arg(escaped(title.toUpper()));
}

void ManPage::addParagraph(const QString &text)
{
    m_text += QStringLiteral(".PP\n%1\n").arg(escaped(text));
}

void ManPage::addItems(const QList<Item> &items)
{
    appendItems(items);
}

void ManPage::appendItems(const QList<Item> &items)
{
    for (const Item &item : items) {
        m_text += QStringLiteral(".TP\n\\fB%1\\fR").arg(escaped(item.term));
        if (!item.argument.isEmpty())
            m_text += QStringLiteral(" \\fI%1\\fR").arg(escaped(item.argument));
        m_text += QLatin1Char('\n');
        // An entry without a text still needs a line, or the next entry's tag would become it.
        m_text += (item.text.isEmpty() ? QStringLiteral("\\&") : escaped(item.text)) + QLatin1Char('\n');
        if (!item.items.isEmpty()) {
            m_text += QStringLiteral(".RS\n");
            appendItems(item.items);
            m_text += QStringLiteral(".RE\n");
        }
    }
}

QList<ManPage::Item> ManPage::optionItems(const QList<QCommandLineOption> &options)
{
    QList<Item> items;
    for (const QCommandLineOption &option : options) {
        if (option.flags().testFlag(QCommandLineOption::HiddenFromHelp))
            continue;
        QStringList names;
        for (const QString &name : option.names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        items << Item{names.join(QStringLiteral(", ")), option.valueName(), option.description()};
    }
    return items;
}

QList<ManPage::Item> ManPage::helpOptionItems(bool withVersion)
{
    QList<Item> items{
        {QStringLiteral("-h, --help"), QString(), QStringLiteral("Show the options and end.")},
        {QStringLiteral("--help-all"), QString(),
         QStringLiteral("Show the options with those every Qt program takes, and end.")},
    };
    if (withVersion)
        items << Item{QStringLiteral("-v, --version"), QString(), QStringLiteral("Show the version and end.")};
    return items;
}

QString ManPage::text() const
{
    return m_text;
}

QString ManPage::escaped(const QString &plain)
{
    QString text = plain.simplified();
    text.replace(QLatin1Char('\\'), QLatin1String("\\e"));
    text.replace(QLatin1Char('-'), QLatin1String("\\-"));
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1Char('\'')))
        text.prepend(QLatin1String("\\&"));
    return text;
}
