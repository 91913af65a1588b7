#include "diagnostics/DiagnosticsReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <iterator>

QString DiagnosticsReport::text(const QList<SystemCheck> &checks)
{
    QString text;
    for (const SystemCheck &check : checks) {
        text += QStringLiteral("%1  %2: %3\n")
                    .arg(check.ok ? QStringLiteral("ok") : QStringLiteral("problem"), check.name, check.detail);
        if (!check.ok && !check.fix.isEmpty())
            text += QStringLiteral("    fix: %1\n").arg(check.fix);
    }
    return text;
}

QString DiagnosticsReport::problems(const QList<SystemCheck> &checks)
{
    QList<SystemCheck> failed;
    std::copy_if(checks.cbegin(), checks.cend(), std::back_inserter(failed),
                 [](const SystemCheck &c) { return !c.ok; });
    return text(failed);
}

QByteArray DiagnosticsReport::json(const QList<SystemCheck> &checks)
{
    QJsonArray list;
    for (const SystemCheck &check : checks) {
        list.append(QJsonObject{{QStringLiteral("name"), check.name},
                                {QStringLiteral("ok"), check.ok},
                                {QStringLiteral("detail"), check.detail},
                                {QStringLiteral("fix"), check.fix}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("checks"), list}}).toJson(QJsonDocument::Indented);
}

bool DiagnosticsReport::allPassed(const QList<SystemCheck> &checks)
{
    return std::all_of(checks.cbegin(), checks.cend(), [](const SystemCheck &c) { return c.ok; });
}
