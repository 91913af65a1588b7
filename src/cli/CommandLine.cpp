#include "cli/CommandLine.h"

#include "sim/usb/SimUsbBridge.h"

namespace {

const CliOption *findOption(const QList<CliOption> &options, const QString &name)
{
    for (const CliOption &option : options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

/// The option of that name wherever it is declared: common, or any command's own.
const CliOption *findAnyOption(const QString &name, const QList<CliCommand> &commands)
{
    if (const CliOption *common = findOption(CommandLine::commonOptions(), name))
        return common;
    for (const CliCommand &command : commands) {
        if (const CliOption *own = findOption(command.options, name))
            return own;
    }
    return nullptr;
}

bool startsWithWords(const QStringList &positional, const QStringList &words)
{
    if (words.isEmpty() || positional.size() < words.size())
        return false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (positional.at(i) != words.at(i))
            return false;
    }
    return true;
}

QString optionUsage(const CliOption &option)
{
    return option.takesValue() ? QStringLiteral("--%1 %2").arg(option.name, option.valueName)
                               : QStringLiteral("--%1").arg(option.name);
}

void appendRows(QString &text, const QList<QPair<QString, QString>> &rows, int indent)
{
    qsizetype width = 0;
    for (const auto &row : rows)
        width = qMax(width, row.first.size());
    for (const auto &row : rows) {
        text += QString(indent, QLatin1Char(' ')) + row.first.leftJustified(width + 2) + row.second;
        text += QLatin1Char('\n');
    }
}

} // namespace

const QList<CliOption> &CommandLine::commonOptions()
{
    static const QList<CliOption> options = {
        {CliOptionName::Port, QStringLiteral("DEVICE"),
         QStringLiteral("RS-232 on this serial device (a path, or a port number 1-16)")},
        {CliOptionName::Ethernet, QStringLiteral("IP:PORT"), QStringLiteral("the instrument's Ethernet module")},
        {CliOptionName::Usb, QStringLiteral("SERIAL"), QStringLiteral("the USB bridge with this serial number")},
        {CliOptionName::Gpib, QStringLiteral("ADDRESS"), QStringLiteral("GPIB primary address (0-30)")},
        {CliOptionName::Model, QStringLiteral("5200|5600|6400"),
         QStringLiteral("driver to use (default: the saved DVM1 setting)")},
        {CliOptionName::Simulate, QString(),
         QStringLiteral("talk to a virtual calibrator started inside this program (with --gpib, on a "
                        "simulated GPIB bus; with --usb %1, through a simulated USB bridge)")
             .arg(QString::fromLatin1(SimUsbBridge::kBuiltInSerialNumber))},
        {CliOptionName::Trace, QString(), QStringLiteral("show every command and reply with its time on stderr")},
        {CliOptionName::TraceFile, QStringLiteral("FILE"),
         QStringLiteral("write every command and reply to FILE as CSV (time, duration_ms, interface, direction, "
                        "text, outcome)")},
        {CliOptionName::Json, QString(),
         QStringLiteral("print the result as one JSON document on stdout (each command's JSON line below says "
                        "its shape); messages stay on stderr, the exit status is the same, and a command that "
                        "fails prints nothing on stdout (a verdict, such as diff's differences, comes with its "
                        "document)")},
        {CliOptionName::Help, QString(), QStringLiteral("show this text")},
    };
    return options;
}

CommandLine CommandLine::parse(const QStringList &arguments, const QList<CliCommand> &commands)
{
    CommandLine line;
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("-h")) {
            line.m_options.insert(CliOptionName::Help, QString());
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            line.m_error = QStringLiteral("unknown option %1").arg(arg);
            return line;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool inlineValue = equals >= 0;
        if (inlineValue) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const CliOption *option = findAnyOption(name, commands);
        if (!option) {
            line.m_error = QStringLiteral("unknown option --%1").arg(name);
            return line;
        }
        if (option->takesValue() && !inlineValue) {
            // A following option is not taken for the value: "--port --trace" lacks a device.
            if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(QLatin1String("--"))) {
                line.m_error = QStringLiteral("--%1 needs a value (%2)").arg(name, option->valueName);
                return line;
            }
            value = arguments.at(++i);
        } else if (!option->takesValue() && inlineValue) {
            line.m_error = QStringLiteral("--%1 takes no value").arg(name);
            return line;
        }
        if (line.m_options.contains(name)) {
            line.m_error = QStringLiteral("--%1 is given twice").arg(name);
            return line;
        }
        line.m_options.insert(name, value);
    }

    if (positional.isEmpty())
        return line;

    // The longest match wins, so "cal" and "cal read" may both be commands.
    for (const CliCommand &command : commands) {
        if (startsWithWords(positional, command.words)
            && (!line.m_command || command.words.size() > line.m_command->words.size()))
            line.m_command = &command;
    }
    if (!line.m_command) {
        QStringList candidates;
        for (const CliCommand &command : commands) {
            if (command.words.constFirst() == positional.constFirst())
                candidates << command.words.join(QLatin1Char(' '));
        }
        line.m_error = candidates.isEmpty() ? QStringLiteral("unknown command \"%1\"").arg(positional.constFirst())
                                            : QStringLiteral("\"%1\" needs one of: %2")
                                                  .arg(positional.constFirst(), candidates.join(QStringLiteral(", ")));
        return line;
    }
    const CliCommand &command = *line.m_command;
    const QString commandName = command.words.join(QLatin1Char(' '));
    line.m_arguments = positional.mid(command.words.size());

    for (auto it = line.m_options.cbegin(); it != line.m_options.cend(); ++it) {
        if (!findOption(commonOptions(), it.key()) && !findOption(command.options, it.key())) {
            line.m_error = QStringLiteral("--%1 does not apply to %2").arg(it.key(), commandName);
            return line;
        }
    }

    const qsizetype count = line.m_arguments.size();
    if (count < command.minArguments) {
        line.m_error = QStringLiteral("%1 needs %2").arg(commandName, command.argumentUsage);
    } else if (command.maxArguments != CliCommand::kAnyNumber && count > command.maxArguments) {
        line.m_error = command.maxArguments == 0
            ? QStringLiteral("%1 takes no arguments (got \"%2\")")
                  .arg(commandName, line.m_arguments.join(QLatin1Char(' ')))
            : QStringLiteral("too many arguments for %1 (usage: %2)").arg(commandName, command.usageLine());
    }
    return line;
}

QString CommandLine::usageText(const QList<CliCommand> &commands)
{
    QString text = QStringLiteral("usage: calsetup-cli [connection] COMMAND [ARGS] [OPTIONS]\n"
                                  "Options may stand before or after the command.\n\n");
    QList<QPair<QString, QString>> connection;
    QList<QPair<QString, QString>> other;
    for (const CliOption &option : commonOptions())
        (isConnectionOption(option) ? connection : other) << qMakePair(optionUsage(option), option.help);
    text += QStringLiteral("Connection (without one, the saved settings):\n");
    appendRows(text, connection, 2);
    text += QStringLiteral("\nOther options:\n");
    appendRows(text, other, 2);
    text += QStringLiteral("\nCommands:\n");
    for (const CliCommand &command : commands) {
        text += QStringLiteral("  %1\n      %2\n").arg(command.usageLine(), command.summary);
        if (!command.json.isEmpty())
            text += QStringLiteral("      JSON: %1\n").arg(command.json);
        QList<QPair<QString, QString>> own;
        for (const CliOption &option : command.options)
            own << qMakePair(optionUsage(option), option.help);
        appendRows(text, own, 6);
    }
    text += QStringLiteral("\nExit status: %1\n").arg(exitStatusText());
    return text;
}

bool CommandLine::isConnectionOption(const CliOption &option)
{
    return option.name != CliOptionName::Trace && option.name != CliOptionName::TraceFile
        && option.name != CliOptionName::Json && option.name != CliOptionName::Help;
}

QString CommandLine::exitStatusText()
{
    return QStringLiteral("0 success, 1 usage error, 2 instrument cannot be reached, 3 instrument refused or not found "
                          "(or the journal's chain broken), 4 a file or device of this computer could not be used; "
                          "interrupted (Ctrl-C, a closed terminal, a kill) while talking to the instrument, 128 plus "
                          "the signal's number (130 for Ctrl-C), after a held USB bridge is given back to the "
                          "system.");
}
