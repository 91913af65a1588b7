#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

/**
 * @brief A manual page in the man(7) macros, written by a program from its own option and command
 * tables, so the installed page lists what the program accepts and cannot fall behind it.
 *
 * The build runs each program with "--man" (and nothing else) and installs what it prints. Texts
 * are given plain; the page escapes what roff would take as its own (a backslash, a line that
 * starts with a dot) and writes every hyphen as a minus sign, so options print as typed.
 */
class ManPage
{
public:
    /// One entry of a list: a term in bold ("--port", "cal read"), its argument in italics
    /// ("DEVICE"), the text under it, and entries indented below it (a command's own options).
    struct Item
    {
        QString term;
        QString argument;
        QString text;
        QList<Item> items{};
    };

    /// The page of section 1 for this program, with its one-line summary for the NAME section.
    ManPage(const QString &program, const QString &summary);

    /// Whether the program was started with "--man" alone: the build asks for the page so, before
    /// any application object exists (the windowed program may have no display to open).
    static bool requested(int argc, char **argv);

    /// A line of the SYNOPSIS section: the program's name in bold, then the arguments as written.
    void addSynopsis(const QString &arguments);
    /// Starts a section ("DESCRIPTION"); its title is printed in capitals.
    void addSection(const QString &title);
    void addParagraph(const QString &text);
    void addItems(const QList<Item> &items);

    /// Entries for a parser's options, in their order; options hidden from --help are left out.
    static QList<Item> optionItems(const QList<QCommandLineOption> &options);
    /// Entries for the options QCommandLineParser::addHelpOption (and addVersionOption) add, which
    /// the parser does not hand back as a list: --help, --help-all and, with a version, --version.
    static QList<Item> helpOptionItems(bool withVersion);

    QString text() const;

    /// Text as roff prints it literally: backslashes and hyphens escaped, a leading dot or quote
    /// kept from being read as a request, line breaks and runs of spaces joined into one space.
    static QString escaped(const QString &plain);

private:
    void appendItems(const QList<Item> &items);

    QString m_program;
    QString m_text;
};
