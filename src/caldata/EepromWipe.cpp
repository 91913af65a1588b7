#include "caldata/EepromWipe.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "caldata/TableChangeRecorder.h"
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

EepromWipe::Records::Records() = default;
EepromWipe::Records::~Records() = default;

bool EepromWipe::Records::keep(InstrumentChannel &dvm, Prompts &prompts, const QString &operation,
                               const QString &connection, QString *error,
                               const std::function<void(const QString &, int, int)> &progress)
{
    m_tables.clear();
    if (!TableChangeRecorder::journalWritable(error)) {
        *error = TableChangeRecorder::journalRefusal(*error);
        return false;
    }
    CalFactorTable factors;
    CalFactorOperations readFactors(factors, dvm, prompts);
    SpecTable specs;
    SpecOperations readSpecs(specs, dvm, prompts);
    for (auto [kind, reading] : {std::pair<TableKind, TableOperation *>{TableKind::Factors, &readFactors},
                                 {TableKind::Specifications, &readSpecs}}) {
        std::unique_ptr<TableChangeRecorder> kept =
            TableChangeRecorder::keeping(operation, kind, *reading, dvm, connection, error, progress);
        if (!kept)
            return false;
        m_tables.push_back(std::move(kept));
    }
    return true;
}

bool EepromWipe::Records::finish(Outcome outcome, QString *error)
{
    // Not sent: refused by the instrument, or not confirmed; either way nothing changed.
    const JournalOutcome recorded = outcome == Outcome::Sent ? JournalOutcome::Done : JournalOutcome::Refused;
    bool written = true;
    for (const std::unique_ptr<TableChangeRecorder> &table : m_tables)
        written = table->finish(recorded, error) && written;
    m_tables.clear();
    return written;
}
