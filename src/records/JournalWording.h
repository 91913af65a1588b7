#pragma once

#include "records/ChangeJournal.h"
#include "records/JournalRecord.h"

#include <QString>
#include <QStringList>

/**
 * @brief The words the change journal is shown in, wherever it is shown: a record's summary, one
 * of its changes, a line that holds no record, and how the check of the chain came out.
 *
 * The command-line tool prints these and the window shows them, from here alone, so a record
 * or a broken chain never reads one way in a terminal and another on the screen.
 */
namespace JournalWording {

/// Where each text stands in summary().
enum SummaryColumn {
    SummaryTime,
    SummaryUser,
    SummaryOperation,
    SummarySerial,
    SummaryChanges,
    SummaryOutcome,
    SummaryColumnCount
};

/// A record in brief: time (UTC, to the millisecond), user, operation, serial number ("-" when the
/// instrument gave none), "N changes", outcome (with " (forced)" when the check that the file
/// belongs to the instrument was overridden).
QStringList summary(const JournalRecord &record);

/// Where each text stands in change().
enum ChangeColumn {
    ChangeTable,
    ChangeRange,
    ChangeColumnIndex,
    ChangeBefore,
    ChangeAfter,
    ChangeVerified,
    ChangeColumnCount
};

/// One changed value: table ("cal" or "spec", as the journal names it), range, column, the texts
/// before and after, and "yes" or "no" for whether reading it back confirmed it.
QStringList change(const TableChange &change);

/// "line N is not a record: why".
QString notARecord(const ChangeJournal::Problem &problem);

/// How a check of the journal at `path` came out: "N records, chain intact, head <sha256>", the
/// journal's path and the first line that does not follow the one before it, or why the file
/// could not be read.
QString verification(const ChangeJournal::Verification &check, const QString &path);

} // namespace JournalWording
