#include "procedures/AdjustmentRecording.h"

#include "caldata/TableChangeRecorder.h"
#include "caldata/TableDiff.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"

AdjustmentRecording::AdjustmentRecording(QString operation) : m_operation(std::move(operation)) {}

bool AdjustmentRecording::canRecord(QString *error)
{
    QString cause;
    if (TableChangeRecorder::journalWritable(&cause))
        return true;
    if (error)
        *error = TableChangeRecorder::journalRefusal(cause);
    return false;
}

void AdjustmentRecording::noteListing(int range, const QStringList &factors)
{
    for (const Accepted &change : std::as_const(m_accepted)) {
        if (change.range == range)
            return;
    }
    m_before.insert(range, factors);
}

void AdjustmentRecording::noteAccepted(int range, int line, const QString &sent)
{
    m_accepted << Accepted{range, line, sent.trimmed()};
}

bool AdjustmentRecording::stored(InstrumentChannel &channel, bool storeTaken, int range, const QStringList &readBack,
                                 int *unverified, QString *error)
{
    *unverified = 0;
    if (m_accepted.isEmpty())
        return true;
    JournalRecord record = JournalRecord::stamped(m_operation);
    record.instrument = TableChangeRecorder::identityOf(channel);
    record.connection = m_describe ? m_describe() : QString();
    // A factor set twice in the session is one change: from what the function held to the last sent.
    QHash<QPair<int, int>, qsizetype> index;
    for (const Accepted &change : std::as_const(m_accepted)) {
        const bool verified = storeTaken && change.range == range && change.line < readBack.size()
            && TableDiff::sameFigure(change.sent, readBack.at(change.line));
        const TableChange entry{TableKind::Factors, change.range,
                                change.line,        m_before.value(change.range).value(change.line),
                                change.sent,        verified};
        const QPair<int, int> key{change.range, change.line};
        if (index.contains(key)) {
            record.changes[index.value(key)].after = entry.after;
            record.changes[index.value(key)].verified = entry.verified;
        } else {
            index.insert(key, record.changes.size());
            record.changes << entry;
        }
    }
    for (const TableChange &change : std::as_const(record.changes))
        *unverified += change.verified ? 0 : 1;
    record.outcome = !storeTaken ? JournalOutcome::Failed
        : *unverified == 0       ? JournalOutcome::Done
                                 : JournalOutcome::Partial;
    m_accepted.clear();
    m_refused = false;
    m_before.clear();
    m_before.insert(range, readBack);
    return ChangeJournal(DataFolders::journalPath()).append(record, error);
}

void AdjustmentRecording::abandoned()
{
    m_accepted.clear();
    m_refused = false;
    m_before.clear();
}
