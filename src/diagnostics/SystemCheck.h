#pragma once

#include <QString>

/// One finding of the diagnostics: what was looked at, whether it is in order, what was found,
/// and for a problem the step that puts it right.
struct SystemCheck
{
    QString name; ///< "serial /dev/ttyUSB0"
    bool ok = true;
    QString detail; ///< "crw-rw---- root:dialout"
    QString fix;    ///< empty when ok
};
