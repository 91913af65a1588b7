#include "cli/CommandGroups.h"

// Built on first use from the group functions, not by static registration: a static library
// drops object files that nothing references, and their registrations with them.
const QList<CliCommand> &commandTable()
{
    static const QList<CliCommand> table = [] {
        QList<CliCommand> all;
        for (const CommandGroup group :
             {basicCommands, locateCommands, calCommands, gpibCommands, outputCommands, measureCommands, clockCommands,
              historyCommands, ethernetCommands, usbCommands, specCommands, setupCommands, journalCommands,
              doctorCommands})
            all += group();
        return all;
    }();
    return table;
}
