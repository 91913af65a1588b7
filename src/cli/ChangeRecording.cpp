#include "cli/ChangeRecording.h"

#include "caldata/TableOperation.h"
#include "cli/CliCommand.h"
#include "cli/RunContext.h"
#include "instrument/IDVM.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"
#include "records/SnapshotStore.h"

#include <QFile>
#include <QFileInfo>

const QString ChangeRecording::kNoJournal = QStringLiteral("no-journal");

CliOption ChangeRecording::option()
{
    return {kNoJournal, QString(), QStringLiteral("change the instrument without a record in the change journal")};
}

ChangeRecording::ChangeRecording(RunContext &run, const QString &operation)
    : m_run(run), m_record(JournalRecord::stamped(operation)), m_enabled(!run.isSet(kNoJournal))
{
}

ChangeRecording::~ChangeRecording() = default;

bool ChangeRecording::begin(int *exitCode, bool changesInstrument)
{
    if (!m_enabled) {
        m_run.warn(QStringLiteral("--no-journal: this change is not recorded in the change journal"));
        return true;
    }
    QString error;
    const bool writable = ChangeJournal(DataFolders::journalPath()).canAppend(&error);
    if (!changesInstrument) {
        // Nothing to refuse: the instrument is named in finish(), once the command has worked.
        if (!writable) {
            m_run.warn(
                QStringLiteral("the change journal cannot be written (%1); this command is not recorded").arg(error));
            m_enabled = false;
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
    m_record.instrument = InstrumentIdentity::fromAnswer(m_run.dvm().Identify().trimmed());
    m_record.connection = m_run.connectionDescription();
}

bool ChangeRecording::snapshot(TableOperation &ops, TableKind kind, int *exitCode)
{
    if (!m_enabled)
        return true;
    // Read before any password is sent, so a table that cannot be kept is never changed.
    if (ops.load() != OperationOutcome::Done) {
        *exitCode = m_run.fail(m_run.failureReported() ? ExitUnreachable : ExitRefused,
                               QStringLiteral("the table about to change could not be read whole for its snapshot; "
                                              "nothing was changed"));
        return false;
    }
    QString error;
    const std::optional<FileReference> saved =
        SnapshotStore(DataFolders::snapshotFolder())
            .save(ops.fileBytes(), m_record.instrument.serial, m_record.operation, kind, &error);
    if (!saved) {
        *exitCode = m_run.fail(ExitLocalFile,
                               QStringLiteral("the snapshot of the table about to change cannot be "
                                              "kept (%1); nothing was changed")
                                   .arg(error));
        return false;
    }
    m_record.snapshot = *saved;
    m_run.err() << QStringLiteral("snapshot of the table before the change: %1").arg(saved->path) << Qt::endl;
    return true;
}

void ChangeRecording::setFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_record.file = FileReference{QFileInfo(path).absoluteFilePath(), DurableFiles::sha256Hex(file.readAll())};
}

bool ChangeRecording::finish(JournalOutcome outcome)
{
    if (!m_enabled)
        return true;
    if (m_record.instrument.identity.isEmpty())
        identify();
    m_record.outcome = outcome;
    QString error;
    if (ChangeJournal(DataFolders::journalPath()).append(m_record, &error))
        return true;
    m_run.warn(
        QStringLiteral("the change was made but its record could not be written to the change journal: %1").arg(error));
    return false;
}
