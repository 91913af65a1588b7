#pragma once

#include <QList>
#include <QString>

/**
 * @brief One line of the benchmark's report: what was measured, the figure, the target beside it
 * and whether the figure meets it.
 */
struct Figure
{
    enum class Verdict { Met, Missed, NoTarget, NotAvailable };

    QString name;
    QString value;
    QString target;
    Verdict verdict = Verdict::NoTarget;

    /// A figure checked against an upper limit.
    static Figure upTo(const QString &name, double value, const QString &unit, double limit,
                       int decimals = 1, bool strictlyBelow = true);
    /// A figure with nothing to meet (context for the ones that have a target).
    static Figure info(const QString &name, const QString &value, const QString &note = QString());
    /// A figure that could not be taken, with the reason in place of the value.
    static Figure unavailable(const QString &name, const QString &reason, const QString &target = QString());

    static QString verdictText(Verdict verdict);
};

/// A heading and the figures measured under it.
struct FigureGroup
{
    QString title;
    QString details; ///< how it was measured (runs, sizes), one line
    QList<Figure> figures;
};
