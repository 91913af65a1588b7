#pragma once

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "session/InstrumentSession.h"

#include <QHash>

/**
 * @brief A procedure's surroundings for a test: a scripted instrument object in a session,
 * scripted prompts and the virtual clock. Replies are looked up by command; anything not
 * listed answers "*0" and CR.
 */
struct ScriptedLink
{
    ScriptedLink()
    {
        auto owned = std::make_unique<ScriptedDVM>();
        dvm = owned.get();
        session.setDvm(std::move(owned));
        dvm->responder = [this](const QString &command) { return replies.value(command, QStringLiteral("*0\r")); };
    }

    /// The way the procedures reach the instrument: the session's channel.
    InstrumentChannel &channel() { return session.channel(); }
    QStringList commands() const { return dvm->commands(); }

    ScopedFakeClock fake;
    InstrumentSession session;
    ScriptedDVM *dvm = nullptr;
    ScriptedPrompts prompts;
    QHash<QString, QString> replies;
};
