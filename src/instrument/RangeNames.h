#pragma once

#include <QString>

/// The display name of a calibration range number ("2V DC", "Adapter", "Unused", ...).
QString RangeName(int rangeNumber);

/// The display name of an AC calibration frequency-point number ("1kHz"), "" when there is none.
QString FrequencyName(int frequencyNumber);
