#pragma once

#include <QString>
#include <optional>

/**
 * A reading in engineering notation: "1.5E-04" is shown as "0.150m", "2E+02" as "0.200k".
 *
 * The exponent picks the prefix (n, u, m, blank, k, M, G, T) and the mantissa is scaled to it and
 * written with at least three and at most six decimals, "." as decimal point. An exponent above 12
 * is written unscaled without a prefix. A text without "E", or whose parts around the first "E"
 * are not a number and a whole exponent ("OVERLOAD"), is no reading in exponent form: the result
 * is empty and the caller leaves what it shows unchanged. Text after the exponent is ignored.
 */
std::optional<QString> formatEngineeringReading(const QString &reading);
