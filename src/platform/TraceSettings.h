#pragma once

#include <QString>

/// The settings of the I/O trace, beside the store's other keys.
namespace SettingsKey {
/// "1" writes every exchange with the instrument to the trace file in the user's state folder.
inline const QString TraceToFile = QStringLiteral("TraceToFile");
/// How many lines the communication log holds before the oldest go.
inline const QString TraceLogCapacity = QStringLiteral("TraceLogCapacity");
} // namespace SettingsKey

/// What the trace settings read when they are not set.
namespace TraceSettingDefault {
inline constexpr bool kToFile = false;
inline constexpr int kLogCapacity = 100000;
} // namespace TraceSettingDefault
