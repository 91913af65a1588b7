#pragma once

#include "records/JournalRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class InstrumentChannel;

/**
 * @brief The change journal's record of a procedure that adjusts a function's factors by hand:
 * every factor the instrument took between the session's first "a1" and its "a2", what the
 * instrument held before, and whether the factors listed after the store are the ones sent.
 *
 * The instrument works with each factor as soon as it is set and keeps them only on "a2" ("a0"
 * puts them all back), so the record is written at the store and an abandoned session leaves none.
 * What a factor held before is the function's first listing in the session (the window lists a
 * function's factors whenever it selects one), so no exchange is added before a factor goes.
 * A factor is named by the instrument's range number of its function and its line in the
 * function's "CAL:PRINT" list.
 *
 * The output correction's factors are kept as the instrument takes them; their record is written
 * once the three have gone, as if stored then.
 */
class AdjustmentRecording
{
public:
    /// `operation` as the journal names it ("Store (Power Calibration)").
    explicit AdjustmentRecording(QString operation);

    /// How the connection is described in the record, asked at the store.
    void setConnection(std::function<QString()> describe) { m_describe = std::move(describe); }

    /// Whether the journal could take the record now; false, with *error saying so in full, when it
    /// cannot (the factor must then not be sent).
    static bool canRecord(QString *error);

    /// The function's factors as the instrument lists them now (its status line taken off). They
    /// are what the function held before, unless the session changed the function already.
    void noteListing(int range, const QStringList &factors);
    /// A factor the instrument took, as it was sent.
    void noteAccepted(int range, int line, const QString &sent);
    /// A factor of one step that the instrument refused while others of the step went: the
    /// record says the step was partly done.
    void noteRefused() { m_refused = true; }
    bool hasChanges() const { return !m_accepted.isEmpty(); }

    /// After "a2": writes the record of the session's factors. `storeTaken` is whether the
    /// instrument confirmed the store; `readBack` is the selected function's listing read after it
    /// (other functions' factors cannot be listed without selecting them, and stay unverified).
    /// *unverified counts the changes the listing did not confirm. False, with *error, when the
    /// journal could not take the record (the store itself happened).
    bool stored(InstrumentChannel &channel, bool storeTaken, int range, const QStringList &readBack, int *unverified,
                QString *error);
    /// After "a0": the instrument went back to what it held, so there is nothing to record.
    void abandoned();

private:
    struct Accepted
    {
        int range;
        int line;
        QString sent;
    };

    QString m_operation;
    std::function<QString()> m_describe;
    /// What each function listed first in the session, by range number.
    QHash<int, QStringList> m_before;
    QList<Accepted> m_accepted;
    bool m_refused = false;
};
