#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

/// Figures the engineer typed, read in full before they may go to the instrument. Blanks around
/// the figure are allowed; anything else that is not part of the number makes the whole text no
/// number, so "-3o" is never sent as -3 and "0,5" never as 0. "." is the decimal point whatever
/// the locale, as the instrument writes its numbers. (The instrument's own replies are read with
/// leadingNumber, which stops at the first character that is no part of a number.)
namespace TypedNumber {

/// An optional sign, digits with an optional "." (at least one digit), an optional exponent
/// ("e" or "E", an optional sign, at least one digit). Empty for anything else, and for a value
/// too large for a double.
std::optional<double> parseNumber(const QString &text);

/// An optional sign and decimal digits within the 32-bit signed range the instrument keeps its
/// factors in. "1e3" and "12.0" are not whole numbers here: they are not written as the
/// instrument reads a factor.
std::optional<qint32> parseWholeNumber(const QString &text);

} // namespace TypedNumber
