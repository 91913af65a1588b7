#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class InstrumentChannel;
class TableChangeRecorder;
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

    /// The change journal's side of an erase: both tables, read and kept as snapshots before
    /// anything is sent, and a record of each once the erase has gone out (or not).
    class Records
    {
    public:
        Records();
        ~Records();
        /// False, with *error the whole message, when the journal or a snapshot cannot be kept:
        /// nothing may be sent then. Each table's reading is counted through `progress` (the step
        /// named "factors" or "specifications"), when one is given.
        bool keep(InstrumentChannel &dvm, Prompts &prompts, const QString &operation, const QString &connection,
                  QString *error, const std::function<void(const QString &step, int done, int total)> &progress = {});
        /// Writes the records; false, with *error, when one could not be written.
        bool finish(Outcome outcome, QString *error);

    private:
        std::vector<std::unique_ptr<TableChangeRecorder>> m_tables;
    };

    static constexpr int kEraseTimeoutSeconds = 10;
};
