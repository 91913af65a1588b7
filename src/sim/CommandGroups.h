#pragma once

class CommandInterpreter;

// Each command group lives in its own file and registers its commands here. A new group adds a
// file and one line to registerStandardCommands.

/// "*IDN?", "T", the three password commands, "L", "SYSTEM:REBOOT".
void registerSystemCommands(CommandInterpreter &interpreter);
/// The meter side: "CONF:..." and the PRT and thermocouple range commands, "READ?".
void registerMeasurementCommands(CommandInterpreter &interpreter);
/// Calibration factors: "CAL:PRINT", "CALIBRATION:SETCAL", "CB", "CR", "CC".
void registerCalFactorCommands(CommandInterpreter &interpreter);
/// "SYSTEM:SETDATE" and "CALIBRATION:HISTORY".
void registerClockHistoryCommands(CommandInterpreter &interpreter);
/// The output: "o" settings, "O" voltage, "C" current, "F" frequency, "S0"/"S1", "X" display.
void registerOutputCommands(CommandInterpreter &interpreter);
/// The power functions: "B1" (AC) and "B5" (DC).
void registerPowerCommands(CommandInterpreter &interpreter);
/// The kV amplifier: "D0" presence check, "r6" (DC) and "r26" (AC).
void registerKvCommands(CommandInterpreter &interpreter);
/// Adjusting the selected function: "a1", "a2", "a0", "P", "Z", "N", "MISCCAL", bare "CAL:PRINT".
/// Registered after the calibration factors, whose "CAL:PRINT nnn" it keeps.
void registerAdjustmentCommands(CommandInterpreter &interpreter);
/// "AC_HF_FACTOR", "AC_LF_FACTOR", "AC_LIN_FACTOR" and the "d_" diagnostics and latches.
void registerCorrectionCommands(CommandInterpreter &interpreter);

/// Every group the virtual calibrator answers.
void registerStandardCommands(CommandInterpreter &interpreter);
