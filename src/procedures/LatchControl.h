#pragma once

#include "procedures/InputBox.h"

#include <QString>

#include <array>

/// Writing one byte to a hardware latch of the calibrator ("d_setlatch", "d_scopelatch").
namespace LatchControl {

enum class Kind {
    Main = 0,
    Scope = 1
};

/// Main latches are numbered 0-15, scope latches 0-7.
int latchCount(Kind kind);

/// The byte the eight bit boxes make: bit i counts 2^i when its box is ticked.
int dataFromBits(const std::array<bool, 8> &bits);

/// A latch write: either the command to send or the message that stops it.
struct Request
{
    QString command;
    QString error;
    std::optional<InputBox::Kind> box; ///< the box the error is about
    bool ok() const { return error.isEmpty(); }
};

/// Reads the data and the latch number from their texts as whole numbers in full, checks the
/// data (0-255) and then the number, and builds "d_setlatch N,D" or "d_scopelatch N,D".
Request request(Kind kind, const QString &numberText, const QString &dataText);

} // namespace LatchControl
