#pragma once

#include <QString>

/// Which of the instrument's two tables a change or a snapshot belongs to.
enum class TableKind {
    Factors,       ///< the calibration factors: "cal"
    Specifications ///< the specification table: "spec"
};

/// "cal" or "spec": the word a journal record and a snapshot's file suffix use.
inline QString tableKindWord(TableKind kind)
{
    return kind == TableKind::Factors ? QStringLiteral("cal") : QStringLiteral("spec");
}

/// The kind a word names; false for any other word.
inline bool tableKindFromWord(const QString &word, TableKind *kind)
{
    if (word == QLatin1String("cal"))
        *kind = TableKind::Factors;
    else if (word == QLatin1String("spec"))
        *kind = TableKind::Specifications;
    else
        return false;
    return true;
}
