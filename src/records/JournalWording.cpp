#include "records/JournalWording.h"

namespace JournalWording {

QStringList summary(const JournalRecord &record)
{
    const qsizetype changes = record.changes.size();
    QString outcome = JournalRecord::outcomeWord(record.outcome);
    if (record.forced)
        outcome += QStringLiteral(" (forced)");
    return {record.time.toUTC().toString(Qt::ISODateWithMs),
            record.user,
            record.operation,
            record.instrument.serial.isEmpty() ? QStringLiteral("-") : record.instrument.serial,
            QStringLiteral("%1 change%2").arg(changes).arg(changes == 1 ? "" : "s"),
            outcome};
}

QStringList change(const TableChange &change)
{
    return {tableKindWord(change.table),
            QString::number(change.range),
            QString::number(change.column),
            change.before,
            change.after,
            change.verified ? QStringLiteral("yes") : QStringLiteral("no")};
}

QString notARecord(const ChangeJournal::Problem &problem)
{
    return QStringLiteral("line %1 is not a record: %2").arg(problem.line).arg(problem.reason);
}

QString verification(const ChangeJournal::Verification &check, const QString &path)
{
    if (!check.readable)
        return check.error;
    if (!check.intact)
        return QStringLiteral("%1: %2").arg(path, check.reason);
    return QStringLiteral("%1 record%2, chain intact, head %3")
        .arg(check.count)
        .arg(check.count == 1 ? "" : "s")
        .arg(check.head);
}

} // namespace JournalWording
