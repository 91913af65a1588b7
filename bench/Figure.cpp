#include "Figure.h"

Figure Figure::upTo(const QString &name, double value, const QString &unit, double limit, int decimals,
                    bool strictlyBelow)
{
    Figure f;
    f.name = name;
    const QString space = unit.isEmpty() ? QString() : QStringLiteral(" ");
    f.value = QString::number(value, 'f', decimals) + space + unit;
    f.target = (strictlyBelow ? QStringLiteral("< ") : QStringLiteral("<= ")) + QString::number(limit, 'f', decimals)
               + space + unit;
    const bool met = strictlyBelow ? value < limit : value <= limit;
    f.verdict = met ? Verdict::Met : Verdict::Missed;
    return f;
}

Figure Figure::info(const QString &name, const QString &value, const QString &note)
{
    Figure f;
    f.name = name;
    f.value = value;
    f.target = note.isEmpty() ? QStringLiteral("-") : note;
    f.verdict = Verdict::NoTarget;
    return f;
}

Figure Figure::unavailable(const QString &name, const QString &reason, const QString &target)
{
    Figure f;
    f.name = name;
    f.value = reason;
    f.target = target.isEmpty() ? QStringLiteral("-") : target;
    f.verdict = Verdict::NotAvailable;
    return f;
}

QString Figure::verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Met:
        return QStringLiteral("met");
    case Verdict::Missed:
        return QStringLiteral("MISSED");
    case Verdict::NoTarget:
        return QString();
    case Verdict::NotAvailable:
        return QStringLiteral("not measured");
    }
    return QString();
}
