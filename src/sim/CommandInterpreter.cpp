#include "sim/CommandInterpreter.h"

#include "platform/Clock.h"
#include "sim/InstrumentMemory.h"
#include "sim/SimStatus.h"
#include "sim/SimLog.h"

CommandInterpreter::CommandInterpreter(InstrumentMemory &memory) : m_memory(memory) {}

void CommandInterpreter::addCommand(const QByteArray &command, Handler handler)
{
    for (Entry &e : m_commands) {
        if (e.key == command) {
            e.handler = std::move(handler);
            return;
        }
    }
    m_commands.append({command, std::move(handler)});
}

void CommandInterpreter::addPrefixCommand(const QByteArray &prefix, Handler handler)
{
    m_prefixCommands.append({prefix, std::move(handler)});
}

CommandInterpreter::Handler CommandInterpreter::handler(const QByteArray &command) const
{
    for (const Entry &e : m_commands) {
        if (e.key == command)
            return e.handler;
    }
    return {};
}

QByteArray CommandInterpreter::execute(const QByteArray &rawLine)
{
    // While it restarts the instrument hears nothing, so a command sent then is simply lost.
    if (systemClock().nowMs() < m_memory.deafUntilMs()) {
        qCDebug(lcSim) << "restarting, ignored" << rawLine;
        return {};
    }

    const QByteArray line = rawLine.trimmed();
    // An empty line is what a host sends to flush a half-typed command; answering it would put
    // a stray status in front of the next real reply.
    if (line.isEmpty())
        return {};

    m_memory.setRemote(true);

    const qsizetype blank = line.indexOf(' ');
    const QByteArray word = blank < 0 ? line : line.left(blank);
    for (const Entry &e : std::as_const(m_commands)) {
        if (e.key == word) {
            const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1).trimmed();
            return e.handler(CommandContext{m_memory, e.key, argument});
        }
    }

    const Entry *best = nullptr;
    for (const Entry &e : std::as_const(m_prefixCommands)) {
        if (line.startsWith(e.key) && (!best || e.key.size() > best->key.size()))
            best = &e;
    }
    if (best)
        return best->handler(CommandContext{m_memory, best->key, line.mid(best->key.size())});

    // The instrument rejects what it does not know with a status line, so a host waiting for the
    // status is not left to time out.
    qCDebug(lcSim) << "unknown command" << line;
    return statusReply(SimStatus::Rejected);
}
