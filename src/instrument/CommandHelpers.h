#pragma once

#include "instrument/Exchange.h"

#include <QString>
#include <QStringList>

class InstrumentChannel;

/// The instrument's fixed passwords.
namespace Password {
inline const QString System = QStringLiteral("5820316");
inline const QString Calibrate = QStringLiteral("7715");
/// The one-digit password whose command leaves setup mode.
inline const QString Exit = QStringLiteral("0");
} // namespace Password

/// Enters setup mode ("SYSTEM:PASSWORD"); true when the instrument answered "*0". The reply, for
/// callers that must tell a refusal from a lost or garbled answer, goes to *reply.
bool SendSystemPassword(InstrumentChannel &dvm, ExchangeReply *reply = nullptr);
/// Enables writing of calibration data ("CALIBRATE:PASSWORD"); true on "*0".
bool SendCalibratePassword(InstrumentChannel &dvm, ExchangeReply *reply = nullptr);
/// The exit step that leaves setup mode ("CAL:PASSWORD "); true on "*0".
bool SendCalPassword(InstrumentChannel &dvm);

/// The password a task needs: the system one for settings, the calibrate one for calibration data.
enum class SetupPassword {
    System,
    Calibrate
};
/// Sends the password; true on "*0". Without a clear status in the answer (noise, a lost answer)
/// the instrument may well have taken it, so the exit password follows before false is returned;
/// after a clear refusal nothing more is sent.
bool EnterSetupMode(InstrumentChannel &dvm, SetupPassword password);

/// Removes the instrument's blanks (spaces only; tabs, CR and LF are text) from both ends.
QString trimBlanks(const QString &text);

/// Cuts a reply into lines: CR LF, lone LF and lone CR each end a line; lines are trimmed of
/// blanks; a last piece without a line end is kept untrimmed. Never empty: "" gives {""}.
QStringList SplitLines(const QString &text);

/// Cuts a line into fields at each delimiter. Each piece up to and including a delimiter is
/// trimmed before the delimiter is removed, so blanks just before a delimiter stay. Never empty.
QStringList SplitString(const QString &text, const QString &delimiter);
