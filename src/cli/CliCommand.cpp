#include "cli/CliCommand.h"

QString CliCommand::usageLine() const
{
    QStringList parts = words;
    if (!argumentUsage.isEmpty())
        parts << argumentUsage;
    for (const CliOption &option : options) {
        parts << (option.takesValue() ? QStringLiteral("[--%1 %2]").arg(option.name, option.valueName)
                                      : QStringLiteral("[--%1]").arg(option.name));
    }
    return parts.join(QLatin1Char(' '));
}
