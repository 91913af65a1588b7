#pragma once

#include <QString>

/**
 * @brief Who an instrument says it is: its answer to "*IDN?" as it came, and the model, serial
 * number and firmware taken from it.
 *
 * The answer is the four comma-separated fields every IEEE-488.2 instrument gives (maker, model,
 * serial number, firmware version). The driver only asks whether an answer is ours; a record of
 * what was done to an instrument needs the fields themselves.
 */
struct InstrumentIdentity
{
    QString identity; ///< the answer without its line end: "Quorvadine,5241,SN4711,3.07"
    QString model;
    QString serial;
    QString firmware;

    /// The fields of an answer, each trimmed; a field the answer lacks stays empty.
    static InstrumentIdentity fromAnswer(const QString &answer);

    bool operator==(const InstrumentIdentity &) const = default;
};
