#pragma once

#include <cmath>

/**
 * @brief The values one setting of the instrument takes: magnitudes from lowest to highest, and
 * below zero only when the setting is signed.
 */
struct ValueRange
{
    double lowest;  ///< smallest magnitude (0: down to zero)
    double highest; ///< largest magnitude
    bool signedValue = false;

    bool contains(double value) const
    {
        const double magnitude = std::fabs(value);
        if ((value < 0 && !signedValue) || magnitude > highest)
            return false;
        return value == 0 ? lowest == 0 : magnitude >= lowest;
    }
};
