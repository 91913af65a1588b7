#include "cli/ChangeRecording.h"

#include "cli/CliCommand.h"
#include "cli/RunContext.h"
#include "instrument/IDVM.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"

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

bool ChangeRecording::begin(int *exitCode)
{
    if (!m_enabled) {
        m_run.warn(QStringLiteral("--no-journal: this change is not recorded in the change journal"));
        return true;
    }
    QString error;
    if (!ChangeJournal(DataFolders::journalPath()).canAppend(&error)) {
        *exitCode = m_run.fail(ExitLocalFile,
                               QStringLiteral("the change journal cannot be written (%1); nothing was "
                                              "sent. Free the disk or fix the folder's permissions, or "
                                              "add --no-journal to change the instrument without a "
                                              "record")
                                   .arg(error));
        return false;
    }
    m_record.instrument = InstrumentIdentity::fromAnswer(m_run.dvm().Identify().trimmed());
    m_record.connection = m_run.connectionDescription();
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
    m_record.outcome = outcome;
    QString error;
    if (ChangeJournal(DataFolders::journalPath()).append(m_record, &error))
        return true;
    m_run.warn(
        QStringLiteral("the change was made but its record could not be written to the change journal: %1").arg(error));
    return false;
}
