#pragma once

#include <optional>

/**
 * @brief Names a box of a procedure window whose text goes to the instrument as a figure, so a
 * model can tell its window which box it refused and the window can put the focus there.
 */
struct InputBox
{
    enum class Kind {
        Factor,     ///< a factor box; index is its number in the window's factor boxes
        Measured,   ///< the measured value
        Voltage,    ///< the nominal output voltage
        Frequency,  ///< a typed frequency
        Setting,    ///< the calibrator's output setting
        Diagnostic, ///< a diagnostic row; index is the row
        LatchNumber,
        LatchData,
    };

    Kind kind;
    int index = 0;

    friend bool operator==(const InputBox &, const InputBox &) = default;
};

/// What a step that sends typed figures gives back: the box whose text is not a figure (then
/// nothing was sent), or nothing when every figure was read.
using RefusedBox = std::optional<InputBox>;
