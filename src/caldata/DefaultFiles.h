#pragma once

#include <QString>

class Prompts;

/**
 * @brief The two "Set Default" buttons of the Quick Setup frame: the specification file and the
 * imported-uncertainty file that the setup sequence loads, kept in the settings.
 */
class DefaultFiles
{
public:
    /// The stored paths, or "default.spec" and "default.uncert".
    static QString specFile();
    static QString uncertFile();

    /// An open dialog starting at the present file; a chosen file that exists is stored. False
    /// when nothing was stored (cancelled, or no such file).
    static bool chooseSpecFile(Prompts &prompts);
    static bool chooseUncertFile(Prompts &prompts);
};
