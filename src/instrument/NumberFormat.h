#pragma once

#include <QString>

/// A number in its shortest plain decimal form, at most 15 significant digits, "." as decimal
/// point whatever the locale, never an exponent (2E-06 is "0.000002", 1000000 is "1000000").
QString formatGeneralNumber(double value);

/// A number in scientific form with two decimals and a signed two-digit exponent: "1.00E-07".
QString formatScientificNumber(double value);
