#pragma once

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "instrument/InstrumentContext.h"
#include "procedures/InstrumentLink.h"

#include <QHash>

/**
 * @brief A procedure's surroundings for a test: a scripted instrument object in a context,
 * scripted prompts and the virtual clock. Replies are looked up by command; anything not
 * listed answers "*0" and CR.
 */
struct ScriptedLink
{
    ScriptedLink()
    {
        auto owned = std::make_unique<ScriptedDVM>();
        dvm = owned.get();
        context.setDvm(std::move(owned));
        dvm->responder = [this](const QString &command) {
            return replies.value(command, QStringLiteral("*0\r"));
        };
    }

    InstrumentLink link() { return InstrumentLink(context); }
    QStringList commands() const { return dvm->commands(); }

    ScopedFakeClock fake;
    InstrumentContext context;
    ScriptedDVM *dvm = nullptr;
    ScriptedPrompts prompts;
    QHash<QString, QString> replies;
};
