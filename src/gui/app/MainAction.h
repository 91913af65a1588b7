#pragma once

/// The main window's buttons and menu entries whose windows or sequences come from elsewhere in
/// the program. Each is enabled when MainActions holds a handler for it.
enum class MainAction {
    ConfigureEthernet,     ///< "Configure Ethernet" (modal; the status bar is updated after it)
    ConfigureUSB,          ///< "Configure USB" (modal; the status bar is updated after it)
    Specifications,        ///< "Specifications" and the menu entry "Specifications"
    CalibrationFactors,    ///< "Calibration Factors" and the 6481 menu entry
    SetOutput,             ///< "Set Output"
    PowerCalibration,      ///< "Power Calibration"
    KVAmplifier,           ///< "kV Amplifier Setup"
    CorrectionFactors,     ///< "Correction Factors"
    DateAndTime,           ///< "Date and Time"
    CalibrationHistory,    ///< "View Calibration History"
    Adapters,              ///< "Adapters"
    PerformSetupTasks,     ///< "Perform Selected Tasks" and the Quick Setup boxes
    SetDefaultSpec,        ///< "Set Default" beside "Load Default Specifications"
    SetDefaultUncert,      ///< "Set Default" beside "Load Default Imported Uncertainties"
    WipeEEPROM,            ///< "Wipe EEPROM"
    Thermocouple,          ///< menu "Thermocouple"
    PRT,                   ///< menu "PRT"
    ImportedUncertainties, ///< menu "Imported Uncertainties"
    ChangeJournal,         ///< menu File > "Change Journal..."
    Diagnostics,           ///< menu Help > "Diagnostics..."
};
