#include "instrument/gpib/GpibBusSearch.h"

#include "instrument/Logging.h"
#include "instrument/gpib/GpibExchange.h"
#include "platform/Clock.h"
#include "platform/Gpib488.h"

namespace {

constexpr int kBoard = 0;
// Long enough for any instrument to take its listen address, short enough that thirty empty
// addresses do not keep the user waiting.
constexpr int kListenTimeoutCode = Gpib488::T300ms;
constexpr int kIdentifyTimeoutCode = Gpib488::T3s;
const QByteArray kIdentify = QByteArrayLiteral("*IDN?");
const QByteArray kChangeAddress = QByteArrayLiteral("SYST:COMM:GPIB:ADDR ");

bool boardError(const Gpib488 &bus)
{
    // EDVR is the driver's own failure: the device node will not open or the module is missing.
    return bus.failed()
        && (bus.iberr == Gpib488::ENEB || bus.iberr == Gpib488::ELCK || bus.iberr == Gpib488::EBUS
            || bus.iberr == Gpib488::EDVR);
}

/// The board's error code after a call that failed to reach it; a handle refused without any
/// error code is taken as no board.
int boardErrorOf(const Gpib488 &bus)
{
    return bus.failed() ? bus.iberr : Gpib488::ENEB;
}

QString boardErrorText(int iberr)
{
    switch (iberr) {
    case Gpib488::EDVR:
        return QStringLiteral("the GPIB driver reports an error (EDVR): check that the gpib kernel module is "
                              "loaded and that you can open /dev/gpib0 (sudo usermod -aG gpib $USER, or the "
                              "installed udev rule)");
    case Gpib488::ELCK:
        return QStringLiteral("the GPIB board is locked by another program");
    case Gpib488::EBUS:
        return QStringLiteral("the GPIB bus reports an error (is every instrument on it switched on?)");
    default:
        return QStringLiteral("no GPIB board is present");
    }
}

bool inRange(int address)
{
    return address >= GpibBusSearch::kFirstAddress && address <= GpibBusSearch::kLastAddress;
}

} // namespace

bool GpibBusSearch::failBus(const QString &what)
{
    m_busUnusable = true;
    m_error = what;
    return false;
}

bool GpibBusSearch::checkBus()
{
    m_error.clear();
    m_busUnusable = false;
    if (!m_bus.available())
        return failBus(QStringLiteral("no GPIB library or board is present: ") + m_bus.reason());
    return true;
}

QList<GpibListener> GpibBusSearch::search()
{
    QList<GpibListener> found;
    if (!checkBus())
        return found;
    const int ud = m_bus.ibdev(kBoard, kFirstAddress, Gpib488::NO_SAD, kListenTimeoutCode, 1, Gpib488::kEndOnLf);
    if (ud < 0 || boardError(m_bus)) {
        failBus(boardErrorText(boardErrorOf(m_bus)));
        if (ud >= 0)
            m_bus.ibonl(ud, 0);
        return found;
    }
    for (int address = kFirstAddress; address <= kLastAddress; ++address) {
        if (onProbe && !onProbe(address))
            break;
        short listener = 0;
        m_bus.ibln(ud, address, Gpib488::NO_SAD, &listener);
        if (boardError(m_bus)) {
            m_bus.ibonl(ud, 0);
            failBus(boardErrorText(m_bus.iberr));
            return {};
        }
        if (listener)
            found.append({address, QString()});
    }
    m_bus.ibonl(ud, 0);
    for (GpibListener &listener : found)
        listener.identity = identify(listener.address);
    for (const GpibListener &listener : found)
        qCDebug(lcInstrument).noquote() << "GPIB: listener at" << listener.address << listener.identity;
    return found;
}

bool GpibBusSearch::listening(int address)
{
    m_boardError = kNoBoardError;
    const int ud = m_bus.ibdev(kBoard, address, Gpib488::NO_SAD, kListenTimeoutCode, 1, Gpib488::kEndOnLf);
    if (ud < 0 || boardError(m_bus)) {
        m_boardError = boardErrorOf(m_bus);
        if (ud >= 0)
            m_bus.ibonl(ud, 0);
        return false;
    }
    short listener = 0;
    m_bus.ibln(ud, address, Gpib488::NO_SAD, &listener);
    if (boardError(m_bus))
        m_boardError = m_bus.iberr;
    const bool answered = !m_bus.failed() && listener != 0;
    m_bus.ibonl(ud, 0);
    return answered;
}

QString GpibBusSearch::identify(int address)
{
    GpibExchange exchange(m_bus);
    GpibExchange::Request request;
    request.address = address;
    request.command = kIdentify;
    request.timeoutCode = kIdentifyTimeoutCode;
    QByteArray reply;
    if (exchange.run(request, &reply) != GpibExchange::Result::Answered)
        return {};
    QString text = QString::fromLatin1(reply);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    // An echo of the question is no answer.
    if (text.contains(QLatin1String(kIdentify)))
        return {};
    return text;
}

bool GpibBusSearch::changeAddress(int from, int to)
{
    if (!checkBus())
        return false;
    if (!inRange(from) || !inRange(to)) {
        m_error = QStringLiteral("GPIB addresses run from %1 to %2").arg(kFirstAddress).arg(kLastAddress);
        return false;
    }
    if (from == to) {
        m_error = QStringLiteral("the instrument is already at GPIB address %1").arg(to);
        return false;
    }
    if (!listening(from)) {
        if (m_boardError != kNoBoardError)
            return failBus(boardErrorText(m_boardError));
        m_error = QStringLiteral("no instrument listens at GPIB address %1").arg(from);
        return false;
    }
    if (listening(to)) {
        m_error = QStringLiteral("GPIB address %1 is taken by another instrument").arg(to);
        return false;
    }

    const int ud = m_bus.ibdev(kBoard, from, Gpib488::NO_SAD, kIdentifyTimeoutCode, 1, Gpib488::kEndOnLf);
    if (ud < 0) {
        m_error = QStringLiteral("cannot open GPIB address %1").arg(from);
        return false;
    }
    const QByteArray command = kChangeAddress + QByteArray::number(to);
    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(command);
    m_bus.ibwrt(ud, command);
    const bool written = !m_bus.failed();
    m_bus.ibonl(ud, 0);
    if (!written) {
        m_error = QStringLiteral("the instrument at GPIB address %1 did not take the command").arg(from);
        return false;
    }

    // The instrument answers at its new address; nobody reads that answer, so a device clear
    // removes it before it could be taken for the reply to the next command.
    Clock &clock = systemClock();
    const qint64 deadline = clock.nowMs() + kMoveWaitMs;
    for (;;) {
        if (listening(to)) {
            const int moved = m_bus.ibdev(kBoard, to, Gpib488::NO_SAD, kIdentifyTimeoutCode, 1, Gpib488::kEndOnLf);
            if (moved >= 0) {
                m_bus.ibclr(moved);
                m_bus.ibonl(moved, 0);
            }
            return true;
        }
        if (clock.nowMs() >= deadline)
            break;
        clock.pause(kMovePollMs);
    }
    m_error = QStringLiteral("the instrument did not appear at GPIB address %1").arg(to);
    return false;
}
