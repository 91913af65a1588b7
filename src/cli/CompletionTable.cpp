#include "cli/CompletionTable.h"

#include "cli/CommandLine.h"
#include "platform/Gpib488.h"

#include <QRegularExpression>

namespace {

/// A word as bash reads it literally: in single quotes, a quote in it closed and reopened.
QString quoted(const QString &word)
{
    QString text = word;
    text.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString optionWord(const CliOption &option)
{
    return QStringLiteral("--") + option.name;
}

/// "*.cal" for a value or argument written "FILE.cal", "*" for "FILE"; empty when it is no file.
QString filePattern(const QString &usage)
{
    static const QRegularExpression kFile(QStringLiteral("^\\[?FILE(\\.[A-Za-z0-9]+)?\\b"));
    const QRegularExpressionMatch match = kFile.match(usage);
    return match.hasMatch() ? QLatin1Char('*') + match.captured(1) : QString();
}

/// The fixed words an option's value may be: "5200|5600|6400", "0|1"; the GPIB address.
QStringList valueWords(const CliOption &option)
{
    if (option.name == CliOptionName::Gpib) {
        QStringList addresses;
        for (int address = Gpib488::kFirstAddress; address <= Gpib488::kLastAddress; ++address)
            addresses << QString::number(address);
        return addresses;
    }
    static const QRegularExpression kChoices(QStringLiteral("^[A-Za-z0-9]+(\\|[A-Za-z0-9]+)+$"));
    if (kChoices.match(option.valueName).hasMatch())
        return option.valueName.split(QLatin1Char('|'));
    return {};
}

/// A global bash array (flags "a") or associative array ("A") of entries already quoted.
QString declaration(const QString &flags, const QString &name, const QStringList &entries)
{
    return QStringLiteral("declare -g%1 %2=(%3)\n").arg(flags, name, entries.join(QLatin1Char(' ')));
}

QString entry(const QString &key, const QString &value)
{
    return QStringLiteral("[%1]=%2").arg(quoted(key), quoted(value));
}

} // namespace

QString bashCompletionTable(const QList<CliCommand> &commands)
{
    QList<CliOption> allOptions = CommandLine::commonOptions();
    QStringList commandNames;
    QStringList commonOptions;
    QStringList commandOptions;
    QStringList filePatterns;
    for (const CliOption &option : CommandLine::commonOptions())
        commonOptions << quoted(optionWord(option));
    for (const CliCommand &command : commands) {
        const QString name = command.words.join(QLatin1Char(' '));
        commandNames << quoted(name);
        QStringList own;
        for (const CliOption &option : command.options)
            own << optionWord(option);
        commandOptions << entry(name, own.join(QLatin1Char(' ')));
        allOptions += command.options;
        const QString pattern = filePattern(command.argumentUsage);
        if (!pattern.isEmpty())
            filePatterns << entry(name, pattern);
    }

    QStringList valueOptions;
    QStringList quotedValueOptions;
    QStringList valueChoices;
    QStringList deviceOptions;
    for (const CliOption &option : allOptions) {
        const QString word = optionWord(option);
        if (!option.takesValue() || valueOptions.contains(word))
            continue;
        valueOptions << word;
        quotedValueOptions << quoted(word);
        const QStringList words = valueWords(option);
        if (!words.isEmpty())
            valueChoices << entry(word, words.join(QLatin1Char(' ')));
        const QString pattern = filePattern(option.valueName);
        if (!pattern.isEmpty())
            filePatterns << entry(word, pattern);
        if (option.name == CliOptionName::Port)
            deviceOptions << quoted(word);
    }

    QString text = QStringLiteral("# calsetup-cli's commands and options, from its command table "
                                  "(calsetup-cli --completion-table).\n");
    text += declaration(QStringLiteral("a"), QStringLiteral("_calsetup_cli_common_options"), commonOptions);
    text += declaration(QStringLiteral("a"), QStringLiteral("_calsetup_cli_commands"), commandNames);
    text += declaration(QStringLiteral("A"), QStringLiteral("_calsetup_cli_command_options"), commandOptions);
    text += declaration(QStringLiteral("a"), QStringLiteral("_calsetup_cli_value_options"), quotedValueOptions);
    text += declaration(QStringLiteral("A"), QStringLiteral("_calsetup_cli_value_words"), valueChoices);
    text += declaration(QStringLiteral("a"), QStringLiteral("_calsetup_cli_device_options"), deviceOptions);
    text += declaration(QStringLiteral("A"), QStringLiteral("_calsetup_cli_file_patterns"), filePatterns);
    return text;
}
