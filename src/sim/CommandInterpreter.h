#pragma once

#include <QByteArray>
#include <QList>
#include <functional>

class InstrumentMemory;

/**
 * @brief What a command handler gets: the instrument's memory, the command word it was found
 * by and the text after it.
 */
struct CommandContext
{
    InstrumentMemory &memory;
    QByteArray command;  ///< "CAL:PRINT", "T", or the prefix a prefix command matched
    QByteArray argument; ///< for "CAL:PRINT 001": "001"; for a prefix command the rest of the line
};

/**
 * @brief Turns one command line into the instrument's reply bytes.
 *
 * Commands are found in a table that each command group fills in (see CommandGroups.h), so a new
 * group is a new file and one registration call, never a branch in a central chain. Lookup: the
 * word before the first blank must equal a registered command exactly (the instrument tells
 * "Ws" from "WS", so case matters); failing that, the longest registered prefix the line starts
 * with wins (for commands that glue their value to the letter, like "O1.5").
 */
class CommandInterpreter
{
public:
    /// Returns the full reply: lines ended by CR LF, or nothing when the instrument stays silent.
    using Handler = std::function<QByteArray(const CommandContext &)>;

    explicit CommandInterpreter(InstrumentMemory &memory);

    void addCommand(const QByteArray &command, Handler handler);
    void addPrefixCommand(const QByteArray &prefix, Handler handler);
    /// The handler registered for an exact command, or an empty one; lets a group extend a
    /// command another group answers.
    Handler handler(const QByteArray &command) const;

    /// Runs one line, given without its CR.
    QByteArray execute(const QByteArray &line);

private:
    struct Entry
    {
        QByteArray key;
        Handler handler;
    };

    InstrumentMemory &m_memory;
    QList<Entry> m_commands;
    QList<Entry> m_prefixCommands;
};
