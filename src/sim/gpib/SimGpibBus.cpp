#include "sim/gpib/SimGpibBus.h"

#include "platform/Clock.h"
#include "sim/CommandInterpreter.h"
#include "sim/SimLog.h"
#include "sim/SimStatus.h"
#include "sim/VirtualCalibrator.h"
#include "sim/gpib/SimGpibDevice.h"

#include <QPointer>

#include <algorithm>

namespace {
// A handle without a time-out would wait for ever; the simulation gives up after the longest one.
constexpr int kLongestWaitMs = Gpib488::timeoutMs(Gpib488::T1000s);
const QByteArray kAddressCommand = QByteArrayLiteral("SYST:COMM:GPIB:ADDR");
} // namespace

SimGpibBus::SimGpibBus(QObject *parent) : QObject(parent) {}

SimGpibBus::~SimGpibBus() = default;

SimGpibDevice *SimGpibBus::attach(VirtualCalibrator &calibrator, int address)
{
    auto *device = new SimGpibDevice(calibrator, address, this);
    m_devices.append(device);
    connect(device, &QObject::destroyed, this, [this, device] { m_devices.removeAll(device); });

    // Only an instrument with a GPIB interface knows this command; it answers before it moves.
    QPointer<SimGpibDevice> moving(device);
    calibrator.interpreter().addCommand(kAddressCommand, [moving](const CommandContext &c) {
        bool ok = false;
        const int to = c.argument.toInt(&ok);
        if (!ok)
            return statusReply(SimStatus::Rejected);
        if (to < kFirstDeviceAddress || to > kLastAddress)
            return statusReply(SimStatus::OutOfRange);
        if (moving) {
            qCDebug(lcSim) << "GPIB" << moving->address() << "moves to" << to;
            moving->setAddress(to);
        }
        return statusReply(SimStatus::Ok);
    });
    return device;
}

SimGpibDevice *SimGpibBus::deviceAt(int address) const
{
    const auto it = std::find_if(m_devices.begin(), m_devices.end(),
                                 [address](const SimGpibDevice *d) { return d->address() == address; });
    return it == m_devices.end() ? nullptr : *it;
}

int SimGpibBus::complete(int status, long count)
{
    ibsta = CMPL | status;
    iberr = 0;
    ibcnt = int(count);
    ibcntl = count;
    return ibsta;
}

int SimGpibBus::error(int code, int status, long count)
{
    ibsta = ERR | CMPL | status;
    iberr = code;
    ibcnt = int(count);
    ibcntl = count;
    return ibsta;
}

const SimGpibBus::Handle *SimGpibBus::usable(int ud)
{
    const auto it = m_handles.find(ud);
    if (it == m_handles.end()) {
        error(EDVR);
        return nullptr;
    }
    switch (m_fault) {
    case BoardFault::NoBoard:
        error(ENEB);
        return nullptr;
    case BoardFault::Locked:
        error(ELCK);
        return nullptr;
    case BoardFault::BusError:
        error(EBUS);
        return nullptr;
    case BoardFault::DriverError:
        error(EDVR);
        return nullptr;
    case BoardFault::None:
        break;
    }
    return &it->second;
}

int SimGpibBus::ibdev(int board, int pad, int sad, int timo, int sendEoi, int eosMode)
{
    if (board != 0 || m_fault == BoardFault::NoBoard) {
        error(ENEB);
        return -1;
    }
    if (m_fault == BoardFault::Locked) {
        error(ELCK);
        return -1;
    }
    if (m_fault == BoardFault::DriverError) {
        error(EDVR);
        return -1;
    }
    if (pad < kFirstAddress || pad > kLastAddress || (sad != NO_SAD && (sad < 0x60 || sad > 0x7e))
        || timeoutMs(timo) < 0) {
        error(EARG);
        return -1;
    }
    const int ud = m_nextHandle++;
    m_handles.emplace(ud, Handle{pad, sad, timo, sendEoi != 0, eosMode});
    complete();
    return ud;
}

int SimGpibBus::ibwrt(int ud, const QByteArray &data)
{
    const Handle *h = usable(ud);
    if (!h)
        return ibsta;
    if (refuseWrites > 0) {
        --refuseWrites;
        return error(EABO, TIMO);
    }
    SimGpibDevice *device = deviceAt(h->pad);
    if (!device)
        return error(ENOL);
    device->receive(data, h->sendEoi);
    return complete(0, data.size());
}

int SimGpibBus::ibrd(int ud, QByteArray &data, long maxCount)
{
    data.clear();
    const Handle *handle = usable(ud);
    if (!handle)
        return ibsta;
    if (maxCount <= 0)
        return complete();
    const int pad = handle->pad;
    const int eosChar = (handle->eosMode & REOS) ? (handle->eosMode & 0xff) : -1;
    const int waitMs = timeoutMs(handle->timo);
    Clock &clock = systemClock();
    const qint64 deadline = clock.nowMs() + (waitMs == 0 ? kLongestWaitMs : waitMs);
    for (;;) {
        // The device may move or leave the bus while we wait; the read is for the address.
        SimGpibDevice *device = deviceAt(pad);
        if (device && device->hasOutput()) {
            bool end = false;
            data += device->talk(qsizetype(maxCount) - data.size(), eosChar, &end);
            if (end)
                return complete(END, data.size());
            if (data.size() >= maxCount)
                return complete(0, data.size());
            continue;
        }
        if (clock.nowMs() >= deadline)
            return error(EABO, TIMO, data.size());
        clock.waitUntil(deadline);
    }
}

int SimGpibBus::ibonl(int ud, int online)
{
    if (!m_handles.count(ud))
        return error(EDVR);
    if (online == 0)
        m_handles.erase(ud);
    return complete();
}

int SimGpibBus::ibln(int ud, int pad, int sad, short *found)
{
    if (found)
        *found = 0;
    if (!usable(ud))
        return ibsta;
    if (pad < kFirstAddress || pad > kLastAddress)
        return error(EARG);
    if (found)
        *found = (sad == NO_SAD && deviceAt(pad)) ? 1 : 0;
    return complete();
}

int SimGpibBus::ibclr(int ud)
{
    const Handle *h = usable(ud);
    if (!h)
        return ibsta;
    SimGpibDevice *device = deviceAt(h->pad);
    if (!device)
        return error(ENOL);
    device->clear();
    return complete();
}
