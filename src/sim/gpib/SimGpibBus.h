#pragma once

#include "platform/Gpib488.h"

#include <QList>
#include <QObject>

#include <map>

class SimGpibDevice;
class VirtualCalibrator;

/**
 * @brief A simulated GPIB board 0 with its bus: virtual calibrators listen at chosen primary
 * addresses and talk when read, through the same device-level calls as the system's library.
 *
 * It behaves as the library does where the host relies on it: ibdev does no bus I/O, a write to
 * an address nobody listens at fails with ENOL, a read from a silent device ends with TIMO after
 * the handle's time-out, counted on the process clock (so a virtual clock makes the 10 s wait
 * instant), and reads end on the end-of-string character or on EOI. Faults of the board itself
 * (missing, locked, bus error) and refused writes are knobs for tests.
 *
 * A calibrator on the bus also understands "SYST:COMM:GPIB:ADDR n" and moves to address n; its
 * "*0" waits at the new address, where a device clear removes it.
 */
class SimGpibBus : public QObject, public Gpib488
{
    Q_OBJECT
public:
    /// DriverError is the driver failing as it does when /dev/gpib0 will not open (EDVR).
    enum class BoardFault {
        None,
        NoBoard,
        BusError,
        Locked,
        DriverError
    };

    explicit SimGpibBus(QObject *parent = nullptr);
    ~SimGpibBus() override;

    /// Puts a calibrator on the bus at a primary address (1 to 30); the device is the bus's child.
    SimGpibDevice *attach(VirtualCalibrator &calibrator, int address);
    /// The device listening at an address, or nullptr.
    SimGpibDevice *deviceAt(int address) const;

    void setBoardFault(BoardFault fault) { m_fault = fault; }
    /// The next this many writes fail as if the device held the handshake (TIMO, EABO).
    int refuseWrites = 0;
    /// Handles opened and not yet taken offline.
    int openHandles() const { return int(m_handles.size()); }

    bool available() const override { return true; }
    QString reason() const override { return {}; }
    int ibdev(int board, int pad, int sad, int timo, int sendEoi, int eosMode) override;
    int ibwrt(int ud, const QByteArray &data) override;
    int ibrd(int ud, QByteArray &data, long maxCount) override;
    int ibonl(int ud, int online) override;
    int ibln(int ud, int pad, int sad, short *found) override;
    int ibclr(int ud) override;

    static constexpr int kFirstDeviceAddress = 1;

private:
    struct Handle
    {
        int pad;
        int sad;
        int timo;
        bool sendEoi;
        int eosMode;
    };

    int complete(int status = 0, long count = 0);
    int error(int code, int status = 0, long count = 0);
    /// Checks the handle and the board; on failure the status is already set.
    const Handle *usable(int ud);

    BoardFault m_fault = BoardFault::None;
    std::map<int, Handle> m_handles;
    int m_nextHandle = 1;
    QList<SimGpibDevice *> m_devices;
};
