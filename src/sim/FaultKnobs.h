#pragma once

#include <QByteArray>

/**
 * @brief Faults the virtual calibrator can put on its replies, for tests of a host's patience
 * and robustness. Read afresh for every reply, so a test may turn them at any moment.
 */
struct FaultKnobs
{
    /// Time from hearing a command to the first byte of its reply.
    int replyDelayMs = 0;
    /// Hear everything, answer nothing.
    bool silent = false;
    /// Cut each reply into this many pieces (1 = whole) ...
    int splitPieces = 1;
    /// ... with this much quiet between one piece and the next.
    int splitGapMs = 0;
    /// Bytes put in front of every reply (line noise: NULs, 8-bit bytes, no line end).
    QByteArray garbage;
    /// Characters per second on the wire, both ways: a reply goes out at this speed, and a front
    /// that hears through a CommandWire takes a command only once its last character has come in.
    /// 0: at once. 960 is 9600 baud 8N1.
    int paceCharsPerSecond = 0;
    /// From the n-th command heard on (counting from 1 over the calibrator's life, see
    /// VirtualCalibrator::commandsHeard), commands are still carried out but never answered, as
    /// when the instrument's transmit line fails. 0: off.
    int silentFromCommand = 0;
    /// The n-th command heard is not carried out: the instrument restarts instead (out of setup
    /// mode, deaf until it is up again), as on a power dip. 0: off.
    int rebootAtCommand = 0;

    /// The noise `calsim --garbage` uses: NUL, 8-bit bytes and an escape, no CR, LF or "*".
    static QByteArray defaultGarbage() { return QByteArray("\x00\xff\x80\xfe\x1b~", 6); }
};
