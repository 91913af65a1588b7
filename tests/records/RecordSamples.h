#pragma once

// Records the journal tests write and read: one with every field filled, texts chosen to need
// escaping, and small ones told apart by a number.

#include "records/JournalRecord.h"

#include <QDateTime>
#include <QString>

inline QString digestOf(char c)
{
    return QString(64, QLatin1Char(c));
}

/// Every field set; the texts hold quotes, backslashes, line breaks, control characters and
/// letters outside ASCII (one of them half a surrogate pair), all of which must come back as they
/// were and none of which may break the line.
inline JournalRecord fullRecord()
{
    JournalRecord r;
    r.time = QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0, 250), Qt::UTC);
    r.user = QStringLiteral("ana \"the\" engineer");
    r.host = QStringLiteral("bench\\3");
    r.programName = QStringLiteral("calsetup-cli");
    r.programVersion = QStringLiteral("1.0.0");
    r.operation = QStringLiteral("Save To Calibrator\n(second try)");
    r.instrument = InstrumentIdentity::fromAnswer(QStringLiteral("Quorvadine,5241,SN4711,3.07\r"));
    r.connection = QString::fromUtf8("RS-232 port 3 (/dev/ttyUSB0)\t\x01 \xce\xa9 \xf0\x9f\x94\xa7") + QChar(0xD800);
    r.file = FileReference{QStringLiteral("/home/ana/meter \"A\".cal"), digestOf('a')};
    r.snapshot = FileReference{QStringLiteral("/data/snapshots/SN4711-20261208-100000-save.cal"), digestOf('b')};
    r.changes = {{TableKind::Factors, 12, 3, QStringLiteral("1000"), QStringLiteral("1002"), true},
                 {TableKind::Specifications, 70, 13, QStringLiteral("0.5"), QString(), false}};
    r.outcome = JournalOutcome::Partial;
    r.forced = true;
    r.prev = digestOf('c');
    return r;
}

/// A small record of the factor table, told apart by `n` in its operation and its change.
inline JournalRecord numberedRecord(int n, const QString &fileDigest = QString())
{
    JournalRecord r;
    r.time = QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC).addSecs(n);
    r.user = QStringLiteral("ana");
    r.host = QStringLiteral("bench");
    r.programName = QStringLiteral("calsetup");
    r.programVersion = QStringLiteral("1.0.0");
    r.operation = QStringLiteral("cal write %1").arg(n);
    r.instrument = InstrumentIdentity::fromAnswer(QStringLiteral("Quorvadine,5241,SN4711,3.07"));
    r.connection = QStringLiteral("RS-232 port 1");
    if (!fileDigest.isEmpty())
        r.file = FileReference{QStringLiteral("/tmp/%1.cal").arg(n), fileDigest};
    r.changes = {{TableKind::Factors, 1, 0, QString::number(n), QString::number(n + 1), true}};
    r.outcome = JournalOutcome::Done;
    r.prev = digestOf('0');
    return r;
}
