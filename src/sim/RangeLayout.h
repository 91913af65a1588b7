#pragma once

/**
 * @brief Which calibration ranges the virtual calibrator has and how many factors each holds.
 *
 * The range numbering is the instrument's own, with gaps between the function groups; a number
 * in a gap is a range the instrument does not have. Every range holds the four factors
 * positive, negative, zero and misc; an AC range adds one factor per calibrated frequency point,
 * counted from 10 Hz upwards, as far as the range's bandwidth reaches.
 */
class RangeLayout
{
public:
    static constexpr int kFirstRange = 1;
    static constexpr int kLastRange = 149;
    /// Factor indexes run from 0 to 61 on every range.
    static constexpr int kMaxFactors = 62;
    /// Positive, negative, zero and misc come before the frequency points.
    static constexpr int kBaseFactors = 4;

    /// Number of factors the range holds; 0 for a range the instrument does not have.
    static int factorCount(int range);
    static bool hasRange(int range) { return factorCount(range) > 0; }
};
