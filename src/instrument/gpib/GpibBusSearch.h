#pragma once

#include <QList>
#include <QString>

#include <functional>

class Gpib488;

/// An instrument found on the GPIB bus.
struct GpibListener
{
    int address = 0;
    QString identity; ///< its answer to "*IDN?", empty when it gave none
};

/**
 * @brief Finds the instruments on the GPIB bus and moves one to another primary address: the
 * GPIB half of the interface options window, and "gpib find" of the command-line tool.
 *
 * The search asks the board whether a listener answers at each address from 1 to 30, with a
 * short time-out so an absent or switched-off instrument costs little, then identifies each with
 * "*IDN?". The calls block the caller's thread; onProbe lets a window show progress and stop.
 */
class GpibBusSearch
{
public:
    explicit GpibBusSearch(Gpib488 &bus) : m_bus(bus) {}

    /// The listeners in address order. Empty with error() set when there is no library or board.
    QList<GpibListener> search();

    /// Whether the last search or change could not use the bus at all (no library, no board).
    bool busUnusable() const { return m_busUnusable; }
    /// Why the last search or change failed, in plain words; empty after success.
    QString error() const { return m_error; }

    /// Whether a listener answers at the address.
    bool listening(int address);
    /// The answer to "*IDN?" at the address without its line end; empty when none came.
    QString identify(int address);

    /// Sends "SYST:COMM:GPIB:ADDR to" to the instrument at `from` and waits until it listens at
    /// `to`. False, with error(), when an address is out of range or taken, nobody is at
    /// `from`, or the instrument did not appear at `to`.
    bool changeAddress(int from, int to);

    /// Called before each address is probed; returning false ends the search early.
    std::function<bool(int address)> onProbe;

    static constexpr int kFirstAddress = 1;
    static constexpr int kLastAddress = 30;
    /// How long an instrument may take to appear at its new address, and how often to look.
    static constexpr int kMoveWaitMs = 2000;
    static constexpr int kMovePollMs = 100;

private:
    bool checkBus();
    bool failBus(const QString &what);

    Gpib488 &m_bus;
    QString m_error;
    bool m_busUnusable = false;
    /// iberr of a board failure seen by the last listening(); EDVR is 0, so none is -1.
    static constexpr int kNoBoardError = -1;
    int m_boardError = kNoBoardError;
};
