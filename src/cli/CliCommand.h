#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class RunContext;

/// An option on the command line, written "--name" or "--name VALUE" (also "--name=VALUE").
struct CliOption
{
    QString name;      ///< without the dashes: "timeout"
    QString valueName; ///< what the value is, for the usage text ("S"); empty for a switch
    QString help;

    bool takesValue() const { return !valueName.isEmpty(); }
};

/**
 * @brief One command of the command-line tool: the words that name it, what it takes, and the
 * function that runs it. Each command group lists its commands in a table of these, written with
 * designated initializers that name only what the command needs.
 */
struct CliCommand
{
    /// Runs the command and returns the exit status: a plain function mostly, or one that carries
    /// what the command was built from (a table family's declaration, an ethernet command's own
    /// work).
    using Run = std::function<int(RunContext &run)>;

    QStringList words{};     ///< {"identify"}; a group's commands may share a first word ("cal read")
    QString argumentUsage{}; ///< the positional arguments for the usage text ("TEXT")
    QString summary{};       ///< one line for the usage text
    /// The shape of what --json prints, for the usage text and the manual page; empty for a
    /// command that reports nothing.
    QString json{};
    int minArguments = 0;
    int maxArguments = 0;       ///< kAnyNumber: no upper limit
    QList<CliOption> options{}; ///< options only this command takes
    Run run{};
    /// False for a command that works on this computer's files alone: the tool then connects to
    /// nothing (and opens no port another program may be using) before it runs.
    bool needsInstrument = true;
    /// Given at least this many positional arguments, the command works on files alone ("cal diff
    /// A B" compares two files); 0: never.
    int filesAloneFrom = 0;

    bool needsInstrumentFor(int argumentCount) const
    {
        return needsInstrument && !(filesAloneFrom > 0 && argumentCount >= filesAloneFrom);
    }

    static constexpr int kAnyNumber = -1;

    /// "send TEXT [--no-wait] [--timeout S] [--end 0|1]"
    QString usageLine() const;
};
