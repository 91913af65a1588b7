#include "cli/CommandGroups.h"

// Built on first use from the group functions, not by static registration: a static library
// drops object files that nothing references, and their registrations with them.
const QList<CliCommand> &commandTable()
{
    static const QList<CliCommand> table = [] {
        QList<CliCommand> all;
        all += basicCommands();
        all += locateCommands();
        all += calCommands();
        all += gpibCommands();
        all += outputCommands();
        all += measureCommands();
        all += clockCommands();
        all += historyCommands();
        all += ethernetCommands();
        return all;
    }();
    return table;
}
