#pragma once

#include <QByteArray>
#include <QString>

/**
 * @brief The IEEE-488.2 device-level calls the GPIB transport and the bus search use, with copies
 * of the status words the library leaves after each call.
 *
 * Backends: the system's IEEE-488.2 library loaded at run time (instrument/gpib/GpibLibrary), and
 * the virtual calibrator's simulated bus (sim/gpib/SimGpibBus). The interface lives here, below
 * both, because the simulator may not depend on the instrument layer and the instrument layer may
 * not depend on the simulator. A machine without a library gets a backend whose every call fails
 * as "no board" (ERR with iberr ENEB).
 *
 * Each call returns what the library's call returns (ibdev: the device handle or -1; the others:
 * the status word) and leaves ibsta, iberr, ibcnt and ibcntl set. iberr is 0 whenever ERR is
 * clear: some libraries leave an old error code standing after a call that succeeded.
 */
class Gpib488
{
public:
    virtual ~Gpib488() = default;

    /// Whether a library (or simulated bus) is present; reason() says why not.
    virtual bool available() const = 0;
    virtual QString reason() const = 0;

    /// Opens a device handle; does no bus I/O, so success does not mean an instrument is there.
    virtual int ibdev(int board, int pad, int sad, int timo, int sendEoi, int eosMode) = 0;
    virtual int ibwrt(int ud, const QByteArray &data) = 0;
    /// Reads at most maxCount bytes into data (resized to what arrived, ibcntl bytes).
    virtual int ibrd(int ud, QByteArray &data, long maxCount) = 0;
    virtual int ibonl(int ud, int online) = 0;
    /// Whether a listener answers at pad/sad on the handle's board (*found non-zero).
    virtual int ibln(int ud, int pad, int sad, short *found) = 0;
    virtual int ibclr(int ud) = 0;

    bool failed() const { return (ibsta & ERR) != 0; }
    bool timedOut() const { return (ibsta & TIMO) != 0; }
    bool ended() const { return (ibsta & END) != 0; }

    int ibsta = 0;
    int iberr = 0;
    int ibcnt = 0;
    long ibcntl = 0;

    // Status bits.
    static constexpr int ERR = 0x8000;
    static constexpr int TIMO = 0x4000;
    static constexpr int END = 0x2000;
    static constexpr int CMPL = 0x0100;
    // Error codes. ELCK only comes from one vendor's library.
    static constexpr int EDVR = 0;
    static constexpr int ENOL = 2;
    static constexpr int EARG = 4;
    static constexpr int EABO = 6;
    static constexpr int ENEB = 7;
    static constexpr int ECAP = 11;
    static constexpr int EBUS = 14;
    static constexpr int ELCK = 21;

    // Time-out codes for ibdev.
    static constexpr int TNONE = 0;
    static constexpr int T300ms = 10;
    static constexpr int T1s = 11;
    static constexpr int T3s = 12;
    static constexpr int T10s = 13;
    static constexpr int T1000s = 17;

    // End-of-string mode: the low byte is the character; REOS ends a read on it.
    static constexpr int REOS = 0x400;
    static constexpr int kEndOnLf = REOS | '\n'; // 0x40A

    /// Secondary address 0: none.
    static constexpr int NO_SAD = 0;
    static constexpr int kFirstAddress = 0;
    static constexpr int kLastAddress = 30;

    /// What a time-out code means in milliseconds (0: wait for ever); -1 for a code out of range.
    static constexpr int timeoutMs(int code)
    {
        // T10us to T1ms round up to a millisecond, so a wait on the process clock still happens.
        constexpr int table[] = {0,   1,    1,    1,    1,     1,     3,      10,     30,
                                 100, 300,  1000, 3000, 10000, 30000, 100000, 300000, 1000000};
        return code < 0 || code > T1000s ? -1 : table[code];
    }
};
