#pragma once

#include "cli/CliCommand.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

/// Names of the options every command takes.
namespace CliOptionName {
inline const QString Port = QStringLiteral("port");
inline const QString Ethernet = QStringLiteral("ethernet");
inline const QString Usb = QStringLiteral("usb");
inline const QString Gpib = QStringLiteral("gpib");
inline const QString Model = QStringLiteral("model");
inline const QString Simulate = QStringLiteral("simulate");
inline const QString Trace = QStringLiteral("trace");
inline const QString TraceFile = QStringLiteral("trace-file");
inline const QString Json = QStringLiteral("json");
inline const QString Help = QStringLiteral("help");
} // namespace CliOptionName

/**
 * @brief A command line taken apart: which command, its arguments and every option given.
 *
 * Options may stand anywhere, before, between or after the command words; "--" ends the options,
 * so an argument may start with dashes. A command's own options are refused on other commands.
 */
class CommandLine
{
public:
    /// Parses the arguments (without the program name) against the command table. An unknown
    /// option, a missing value or a wrong number of arguments leaves error() set.
    static CommandLine parse(const QStringList &arguments, const QList<CliCommand> &commands);

    /// The options every command takes (connection, --trace, --json, --help).
    static const QList<CliOption> &commonOptions();

    /// The usage text: connection options, other options and every command of the table.
    static QString usageText(const QList<CliCommand> &commands);
    /// Whether a common option says where the instrument is (the rest: --trace, --trace-file, --json,
    /// --help).
    static bool isConnectionOption(const CliOption &option);
    /// What each exit status means, one sentence, for the usage text and the manual page.
    static QString exitStatusText();

    /// Empty when the line is usable.
    QString error() const { return m_error; }
    /// nullptr when no command was named (the usage text is then all there is to show).
    const CliCommand *command() const { return m_command; }
    /// What followed the command words.
    const QStringList &arguments() const { return m_arguments; }

    bool isSet(const QString &option) const { return m_options.contains(option); }
    /// The option's value; "" for a switch or an option not given.
    QString value(const QString &option) const { return m_options.value(option); }

private:
    QString m_error;
    const CliCommand *m_command = nullptr;
    QStringList m_arguments;
    QMap<QString, QString> m_options;
};
