#pragma once

#include <QString>

#include <memory>

class FormMain;
class InstrumentSession;
class Prompts;
class QWidget;

/// Makes `DVM` from the setting "DVM1" (default "5200") with CreateDVM. It starts on RS-232 with
/// the main serial port control; the location configures the rest.
void LoadDVMFromSettings(InstrumentSession &session);

/// Centres a window on the available area of its screen.
void CenterForm(QWidget *window);

/**
 * The program's start: makes `DVM` from the settings, shows the main window and finds the
 * instrument. Returns the main window, or nothing when no calibrator was found and the user chose
 * to quit (the program ends). windowTitle replaces the main window's caption when given.
 */
std::unique_ptr<FormMain> Main(InstrumentSession &session, Prompts &prompts, const QString &windowTitle = {});
