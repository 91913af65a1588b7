#include "cli/ChangeRecording.h"

#include "caldata/TableOperation.h"
#include "cli/CliCommand.h"
#include "cli/RunContext.h"
#include "instrument/IDVM.h"

const QString ChangeRecording::kNoJournal = QStringLiteral("no-journal");

CliOption ChangeRecording::option()
{
    return {kNoJournal, QString(), QStringLiteral("change the instrument without a record in the change journal")};
}

ChangeRecording::ChangeRecording(RunContext &run, const QString &operation, TableKind kind)
    : m_run(run), m_recorder(operation, kind)
{
    m_recorder.setEnabled(!run.isSet(kNoJournal));
}

bool ChangeRecording::begin(int *exitCode, bool changesInstrument)
{
    if (!enabled()) {
        m_run.warn(QStringLiteral("--no-journal: this change is not recorded in the change journal"));
        return true;
    }
    QString error;
    const bool writable = TableChangeRecorder::journalWritable(&error);
    if (!changesInstrument) {
        // Nothing to refuse: the instrument is named in finish(), once the command has worked.
        if (!writable) {
            m_run.warn(
                QStringLiteral("the change journal cannot be written (%1); this command is not recorded").arg(error));
            m_recorder.setEnabled(false);
        }
        return true;
    }
    if (!writable) {
        *exitCode = m_run.fail(ExitLocalFile,
                               QStringLiteral("the change journal cannot be written (%1); nothing was "
                                              "sent. Free the disk or fix the folder's permissions, or "
                                              "add --no-journal to change the instrument without a "
                                              "record")
                                   .arg(error));
        return false;
    }
    identify();
    return true;
}

void ChangeRecording::identify()
{
    m_recorder.identify(m_run.channel(), m_run.connectionDescription());
}

bool ChangeRecording::guardOrigin(bool force, int *exitCode)
{
    if (record().instrument.identity.isEmpty())
        identify();
    using Kind = TableChangeRecorder::Origin::Kind;
    const TableChangeRecorder::Origin origin = m_recorder.fileOrigin();
    if (origin.kind == Kind::Unknown)
        m_run.warn(m_recorder.unknownOriginText());
    if (origin.kind != Kind::AnotherUnit)
        return true;
    if (force) {
        m_run.warn(m_recorder.anotherUnitText(origin)
                   + QStringLiteral("; written all the same (--force), and the journal says so"));
        record().forced = true;
        return true;
    }
    *exitCode = m_run.fail(ExitRefused,
                           m_recorder.anotherUnitText(origin)
                               + QStringLiteral(". Its factors belong to the other unit; nothing was "
                                                "sent. Add --force to write them all the same"));
    finish(JournalOutcome::Refused);
    return false;
}

bool ChangeRecording::refuseReading(TableChangeRecorder::Failure failure, const QString &error, const QString &values,
                                    int *exitCode)
{
    if (failure == TableChangeRecorder::Failure::None)
        return true;
    if (failure == TableChangeRecorder::Failure::Unread && m_run.failureReported()) {
        *exitCode = ExitUnreachable; // the failed exchange has been reported
        return false;
    }
    // The tool's messages start in lower case, after its name.
    QString text = TableChangeRecorder::readingRefusal(failure, error, values);
    text[0] = text[0].toLower();
    *exitCode = m_run.fail(failure == TableChangeRecorder::Failure::NotKept ? ExitLocalFile : ExitRefused, text);
    return false;
}

bool ChangeRecording::snapshot(TableOperation &ops, int *exitCode)
{
    if (!enabled())
        return true;
    QString error;
    const TableChangeRecorder::Failure failure = m_recorder.snapshot(ops, ops.hooks(), &error);
    if (!refuseReading(failure, error, QStringLiteral("table"), exitCode))
        return false;
    m_run.err() << QStringLiteral("snapshot of the table before the change: %1").arg(record().snapshot->path)
                << Qt::endl;
    return true;
}

bool ChangeRecording::prepareSave(TableOperation &ops, const QString &values, int *exitCode)
{
    if (!enabled())
        return true;
    QString error;
    const TableChangeRecorder::Failure failure = m_recorder.readBefore(ops, ops.hooks(), &error);
    if (!refuseReading(failure, error, values, exitCode))
        return false;
    if (record().snapshot)
        m_run.err() << QStringLiteral("snapshot of the table before the change: %1").arg(record().snapshot->path)
                    << Qt::endl;
    m_recorder.watchSave(ops);
    return true;
}

bool ChangeRecording::finish(JournalOutcome outcome)
{
    if (!enabled())
        return true;
    if (record().instrument.identity.isEmpty())
        identify();
    QString error;
    if (m_recorder.finish(outcome, &error))
        return true;
    m_run.warn(
        QStringLiteral("the change was made but its record could not be written to the change journal: %1").arg(error));
    return false;
}
