#pragma once

#include <QString>

/// The number a text starts with, as the procedure windows read their boxes: leading blanks are
/// skipped, then an optional sign, digits with an optional "." and an optional exponent ("1.5e3"
/// is 1500). Whatever follows the number is ignored ("12a" is 12) and a text that does not start
/// with a number gives 0. "." is the decimal point whatever the locale, as the instrument's
/// numbers are written. A number too large for a double gives 0 rather than an infinity that
/// would poison every later calculation.
double leadingNumber(const QString &text);

/// Rounds to the nearest integer; a value exactly halfway goes to the even neighbour (12344.5 is
/// 12344, 12345.5 is 12346).
double roundHalfEven(double value);

/// The largest integer not greater than value, forgiving the last bits of binary noise: 1000 -
/// 999.9 is 0.1000000000000227 in a double, and a calculation that should land on a whole number
/// must not drop to the one below because of it.
double floorOfDecimal(double value);

/// An integer-valued double as plain integer text, without exponent or separators.
QString integerText(double value);

/// Text typed by the engineer for a command, with CR and LF taken out: a line break would
/// smuggle a second command onto the line.
QString commandText(const QString &typed);
