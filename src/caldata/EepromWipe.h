#pragma once

#include <functional>

class InstrumentChannel;
class Prompts;

/**
 * @brief "Wipe EEPROM": erases every setting of the instrument after two confirmations. The
 * instrument erases for several minutes and hears nothing meanwhile, so its answer is not read
 * and nothing is sent after it.
 */
class EepromWipe
{
public:
    enum class Outcome {
        Cancelled,   ///< one of the two questions was not answered Yes; nothing was sent
        NoSetupMode, ///< the system password was not accepted (after an unclear answer to it, the
                     ///< exit password follows)
        Sent,        ///< "WXerase" went out
    };

    /// busy(true) before the erase command, busy(false) after it.
    static Outcome run(InstrumentChannel &dvm, Prompts &prompts, const std::function<void(bool)> &busy = {});
    /// The two questions alone; true when both were answered yes.
    static bool confirm(Prompts &prompts);
    /// run() once both questions were answered yes.
    static Outcome runConfirmed(InstrumentChannel &dvm, Prompts &prompts, const std::function<void(bool)> &busy = {});

    static constexpr int kEraseTimeoutSeconds = 10;
};
