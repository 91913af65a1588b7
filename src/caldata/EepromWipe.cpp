#include "caldata/EepromWipe.h"

#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "platform/Prompts.h"

namespace {
const QString kTitle = QStringLiteral("Clear All Settings");
}

bool EepromWipe::confirm(Prompts &prompts)
{
    return prompts.confirm(QStringLiteral("This will clear all settings - please confirm"), kTitle)
        && prompts.confirm(QStringLiteral("This will clear everything - please confirm again"), kTitle);
}

EepromWipe::Outcome EepromWipe::run(InstrumentChannel &dvm, Prompts &prompts, const std::function<void(bool)> &busy)
{
    if (!confirm(prompts))
        return Outcome::Cancelled;
    return runConfirmed(dvm, prompts, busy);
}

EepromWipe::Outcome EepromWipe::runConfirmed(InstrumentChannel &dvm, Prompts &prompts,
                                             const std::function<void(bool)> &busy)
{
    const QString &title = kTitle;
    if (!EnterSetupMode(dvm, SetupPassword::System)) {
        prompts.message(QStringLiteral("Error entering setup mode"), title);
        return Outcome::NoSetupMode;
    }
    if (busy)
        busy(true);
    // No exit password follows: the instrument is deaf while it erases and comes back out of
    // setup mode.
    dvm.SendString(QStringLiteral("WXerase"), false, kEraseTimeoutSeconds, 1);
    if (busy)
        busy(false);
    prompts.message(QStringLiteral("Meter will be unresponsive for several minutes"), title,
                    Prompts::Icon::Information);
    return Outcome::Sent;
}
