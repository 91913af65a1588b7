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
/// The specification table and the setup tasks: "ps", "Ws", "WS", "&nn", "A", "K", "WXerase".
void registerSpecSetupCommands(CommandInterpreter &interpreter);

/// Every group the virtual calibrator answers.
void registerStandardCommands(CommandInterpreter &interpreter);
