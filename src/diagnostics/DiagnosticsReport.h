#pragma once

#include "diagnostics/SystemCheck.h"

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * @brief The diagnostics in the words the command line and the window show: one line per check,
 * "ok" or "problem", with the fix indented under each problem; or as JSON for a script.
 */
class DiagnosticsReport
{
public:
    static QString text(const QList<SystemCheck> &checks);
    /// The same lines for the checks that failed alone; empty when every check passed.
    static QString problems(const QList<SystemCheck> &checks);
    /// {"checks": [{"name", "ok", "detail", "fix"}]}
    static QByteArray json(const QList<SystemCheck> &checks);
    static bool allPassed(const QList<SystemCheck> &checks);
};
