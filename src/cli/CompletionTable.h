#pragma once

#include "cli/CliCommand.h"

#include <QList>
#include <QString>

/// The word lists of calsetup-cli's bash completion, as bash declarations: every command, the
/// common options and each command's own, the options that take a value and what that value may
/// be (a fixed choice, a GPIB address, a serial device, a file). The build puts them in front of
/// the completion function ("calsetup-cli --completion-table"), so the completion offers exactly
/// what the command table accepts.
QString bashCompletionTable(const QList<CliCommand> &commands);
