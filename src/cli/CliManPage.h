#pragma once

#include "cli/CliCommand.h"

#include <QList>
#include <QString>

/// The manual page calsetup-cli(1), written from the command table and the common options, so it
/// names every command and option the tool takes ("calsetup-cli --man" prints it for the build).
QString cliManPage(const QList<CliCommand> &commands);
