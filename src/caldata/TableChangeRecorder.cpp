#include "caldata/TableChangeRecorder.h"

#include "instrument/InstrumentChannel.h"
#include "instrument/InstrumentDriver.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"
#include "records/SnapshotStore.h"

#include <QFile>
#include <QFileInfo>

TableChangeRecorder::TableChangeRecorder(const QString &operation, TableKind kind)
    : m_record(JournalRecord::stamped(operation)), m_kind(kind)
{
}

bool TableChangeRecorder::journalWritable(QString *error)
{
    return ChangeJournal(DataFolders::journalPath()).canAppend(error);
}

InstrumentIdentity TableChangeRecorder::identityOf(InstrumentChannel &channel)
{
    const QString answer =
        InstrumentDriver::identificationFrom(channel.exchange(InstrumentDriver::identifyRequest()).conventionalText());
    return InstrumentIdentity::fromAnswer(answer.trimmed());
}

bool TableChangeRecorder::recordRead(const QString &operation, const InstrumentIdentity &instrument,
                                     const QString &connection, const FileReference &file, QString *error)
{
    JournalRecord record = JournalRecord::stamped(operation);
    record.instrument = instrument;
    record.connection = connection;
    record.file = file;
    record.outcome = JournalOutcome::Done;
    return ChangeJournal(DataFolders::journalPath()).append(record, error);
}

void TableChangeRecorder::identify(InstrumentChannel &channel, const QString &connection)
{
    m_record.instrument = identityOf(channel);
    m_record.connection = connection;
}

void TableChangeRecorder::setFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_record.file = FileReference{QFileInfo(path).absoluteFilePath(), DurableFiles::sha256Hex(file.readAll())};
}

TableChangeRecorder::Origin TableChangeRecorder::fileOrigin() const
{
    Origin origin;
    if (!m_record.file)
        return origin;
    const auto readFromAnInstrument = [](const JournalRecord &record) {
        return record.changes.isEmpty() && record.outcome == JournalOutcome::Done && !record.forced
            && !record.instrument.serial.isEmpty();
    };
    const std::optional<JournalRecord> read =
        ChangeJournal(DataFolders::journalPath()).findFile(m_record.file->sha256, readFromAnInstrument);
    if (!read)
        return origin;
    origin.read = *read;
    origin.kind =
        read->instrument.serial == m_record.instrument.serial ? Origin::Kind::ThisUnit : Origin::Kind::AnotherUnit;
    return origin;
}

QString TableChangeRecorder::anotherUnitText(const Origin &origin) const
{
    return QStringLiteral("%1 was read from the instrument with serial number %2 (%3, %4); the instrument "
                          "connected has serial number %5")
        .arg(QFileInfo(m_record.file ? m_record.file->path : QString()).fileName(), origin.read.instrument.serial,
             origin.read.operation, origin.read.time.toUTC().toString(Qt::ISODate), m_record.instrument.serial);
}

QString TableChangeRecorder::unknownOriginText() const
{
    return QStringLiteral("The change journal does not know where %1 came from; make sure it holds the factors "
                          "of the instrument with serial number %2")
        .arg(QFileInfo(m_record.file ? m_record.file->path : QString()).fileName(),
             m_record.instrument.serial.isEmpty() ? QStringLiteral("(unknown)") : m_record.instrument.serial);
}

TableChangeRecorder::Failure TableChangeRecorder::snapshot(const TableOperation &ops, TableOperation::Hooks hooks,
                                                           QString *error)
{
    if (!m_enabled)
        return Failure::None;
    // Read before any password is sent, so a table that cannot be kept is never changed.
    const std::shared_ptr<TableOperation> reading = ops.reader(std::move(hooks));
    if (reading->load() != OperationOutcome::Done) {
        *error = QStringLiteral("the instrument did not give the whole table");
        return Failure::Unread;
    }
    const std::optional<FileReference> saved =
        SnapshotStore(DataFolders::snapshotFolder())
            .save(reading->fileBytes(), m_record.instrument.serial, m_record.operation, m_kind, error);
    if (!saved)
        return Failure::NotKept;
    m_record.snapshot = *saved;
    const CellTable &held = reading->cells();
    m_before.clear();
    m_beforeByIndex = false;
    for (int row = 1; row < held.rowCount(); ++row) {
        QStringList values;
        for (int column = 1; column < held.columnCount(); ++column)
            values << held.text(row, column);
        m_before.insert(row, values);
    }
    return Failure::None;
}

std::unique_ptr<TableChangeRecorder> TableChangeRecorder::keeping(const QString &operation, TableKind kind,
                                                                  TableOperation &reading, InstrumentChannel &channel,
                                                                  const QString &connection, QString *error,
                                                                  const TableOperation::Progress &progress)
{
    auto recorder = std::make_unique<TableChangeRecorder>(operation, kind);
    recorder->identify(channel, connection);
    QString cause;
    const QString step = kind == TableKind::Factors ? QStringLiteral("factors") : QStringLiteral("specifications");
    const Failure failure =
        recorder->snapshot(reading, TableOperation::counting(step, reading.readLength(), progress), &cause);
    if (failure == Failure::None)
        return recorder;
    *error = readingRefusal(failure, cause, QStringLiteral("table"));
    return nullptr;
}

TableChangeRecorder::Failure TableChangeRecorder::readBefore(TableOperation &ops, TableOperation::Hooks hooks,
                                                             QString *error)
{
    if (!m_enabled)
        return Failure::None;
    if (!ops.readsRows())
        return snapshot(ops, std::move(hooks), error);
    m_before.clear();
    m_beforeByIndex = true;
    if (!ops.readRows(ops.rowsToWrite(), &m_before)) {
        *error = QStringLiteral("the instrument did not give the rows about to change");
        return Failure::Unread;
    }
    return Failure::None;
}

void TableChangeRecorder::watchSave(TableOperation &ops)
{
    if (!m_enabled)
        return;
    m_verified = ops.verifiesWrites();
    TableOperation::Hooks &hooks = ops.hooks();
    hooks.cellWritten = [this, next = hooks.cellWritten](const TableOperation::CellWrite &write) {
        if (write.result == TableOperation::WriteResult::Accepted)
            m_accepted << write;
        return next ? next(write) : true;
    };
    hooks.notVerified = [this, next = hooks.notVerified](const TableOperation::CellWrite &write, const QString &kept) {
        m_notVerified.insert({write.row, write.column});
        if (next)
            next(write, kept);
    };
}

bool TableChangeRecorder::finish(JournalOutcome outcome, QString *error)
{
    if (!m_enabled)
        return true;
    for (const TableOperation::CellWrite &write : std::as_const(m_accepted)) {
        const QString before = m_before.value(write.row).value(m_beforeByIndex ? write.index : write.column - 1);
        m_record.changes << TableChange{m_kind,      write.row,
                                        write.index, before,
                                        write.text,  m_verified && !m_notVerified.contains({write.row, write.column})};
    }
    m_accepted.clear();
    m_record.outcome = outcome;
    return ChangeJournal(DataFolders::journalPath()).append(m_record, error);
}

JournalOutcome TableChangeRecorder::outcomeOf(const TableOperation::SaveSummary &summary)
{
    using Outcome = TableOperation::Outcome;
    if (summary.complete())
        return JournalOutcome::Done;
    if (summary.accepted > 0)
        return JournalOutcome::Partial;
    if (summary.outcome == Outcome::NoSetupMode || summary.outcome == Outcome::PasswordNeeded || summary.refused() > 0)
        return JournalOutcome::Refused;
    return JournalOutcome::Failed;
}

JournalOutcome TableChangeRecorder::outcomeOf(OperationOutcome outcome)
{
    if (outcome == OperationOutcome::Done)
        return JournalOutcome::Done;
    return outcome == OperationOutcome::NoSetupMode ? JournalOutcome::Refused : JournalOutcome::Failed;
}

QString TableChangeRecorder::journalRefusal(const QString &error)
{
    return QStringLiteral("The change journal cannot be written (%1); nothing was sent. Free the disk or fix the "
                          "folder's permissions")
        .arg(error);
}

QString TableChangeRecorder::readingRefusal(Failure failure, const QString &error, const QString &values)
{
    if (failure == Failure::NotKept)
        return QStringLiteral("The snapshot of the table about to change cannot be kept (%1); nothing was changed")
            .arg(error);
    return QStringLiteral("The %1 about to change could not be read for the change journal (%2); nothing was "
                          "changed")
        .arg(values, error);
}
