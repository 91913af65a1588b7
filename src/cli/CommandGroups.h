#pragma once

#include "cli/CliCommand.h"

#include <QList>

// Each command group lives in its own file under commands/ and returns its table here. A new
// group adds a file, one declaration below and its place in commandTable()'s list.

/// A command group's table, in the order the usage text lists its commands.
using CommandGroup = QList<CliCommand> (*)();

/// identify, info, send.
QList<CliCommand> basicCommands();
/// locate.
QList<CliCommand> locateCommands();
/// cal read, cal write, cal backup, cal restore, cal clear.
QList<CliCommand> calCommands();
/// gpib find, gpib move.
QList<CliCommand> gpibCommands();
/// output set, output on, output standby.
QList<CliCommand> outputCommands();
/// measure.
QList<CliCommand> measureCommands();
/// clock read, clock set.
QList<CliCommand> clockCommands();
/// history.
QList<CliCommand> historyCommands();
/// ethernet find, select, init, set-ip, dhcp, reboot.
QList<CliCommand> ethernetCommands();
/// spec read, spec write, spec clear.
QList<CliCommand> specCommands();
/// setup, wipe.
QList<CliCommand> setupCommands();

/// usb list, usb select.
QList<CliCommand> usbCommands();

/// journal, journal path, journal verify.
QList<CliCommand> journalCommands();

/// doctor.
QList<CliCommand> doctorCommands();

/// Every command of the tool, in the order the usage text lists them.
const QList<CliCommand> &commandTable();
