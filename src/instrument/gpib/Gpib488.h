#pragma once

#include <QByteArray>
#include <QString>

/**
 * @brief The IEEE-488.2 device-level calls the GPIB transport and the options window use, with the
 * status words the library leaves after each call.
 *
 * Backends: the system's IEEE-488.2 library loaded at run time, and a simulated bus. A machine
 * without a library gets a backend whose every call fails as "no board".
 */
class Gpib488
{
public:
    virtual ~Gpib488() = default;

    /// Whether a library (or simulated bus) is present; reason() says why not.
    virtual bool available() const = 0;
    virtual QString reason() const = 0;

    virtual int ibdev(int board, int pad, int sad, int timo, int sendEoi, int eosMode) = 0;
    virtual int ibwrt(int ud, const QByteArray &data) = 0;
    virtual int ibrd(int ud, QByteArray &data, long maxCount) = 0;
    virtual int ibonl(int ud, int online) = 0;
    virtual int ibln(int ud, int pad, int sad, short *found) = 0;
    virtual int ibclr(int ud) = 0;

    int ibsta = 0;
    int iberr = 0;
    int ibcnt = 0;
    long ibcntl = 0;

    // Status bits and error codes of the IEEE-488.2 interface.
    static constexpr int ERR = 0x8000;
    static constexpr int TIMO = 0x4000;
    static constexpr int END = 0x2000;
    static constexpr int EDVR = 0;
    static constexpr int ENOL = 2;
    static constexpr int EARG = 4;
    static constexpr int EABO = 6;
    static constexpr int ENEB = 7;
    static constexpr int ECAP = 11;
    static constexpr int EBUS = 14;
    static constexpr int ELCK = 21;
};
