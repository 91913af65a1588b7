#pragma once

#include <QString>

class FormMain;
class FormSpecifications;

/**
 * @brief The main window's handlers for the Quick Setup frame ("Perform Selected Tasks", the two
 * "Set Default" buttons), "Wipe EEPROM", the "Specifications" window and the 6481 menu entries
 * whose windows this program does not have. Each takes the main window, as MainActions handlers
 * do; the work itself is in QuickSetup, DefaultFiles and EepromWipe.
 */
namespace QuickSetupActions {

/// Opens the specifications window beside the main window, reading the instrument's table once
/// it opens (unless the caller fills it at once); an open one is brought to the front as it is.
FormSpecifications *showSpecifications(FormMain &main, bool readInstrument = true);

/// Runs the tasks whose boxes are ticked as one operation, the report going to Text_Status.
void Command_SetupTasks_Click(FormMain &main);
void Command_SetDefaultSpec_Click(FormMain &main);
void Command_SetDefaultUncert_Click(FormMain &main);
void Command_WipeEEPROM_Click(FormMain &main);

/// Says that a window is not part of this version ("Thermocouple", "PRT", ...).
void windowNotAvailable(FormMain &main, const QString &window);

} // namespace QuickSetupActions
