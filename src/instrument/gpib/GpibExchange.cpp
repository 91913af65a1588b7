#include "instrument/gpib/GpibExchange.h"

#include "instrument/CommandHelpers.h"
#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "platform/Clock.h"
#include "platform/Gpib488.h"

#include <QScopeGuard>

namespace {

constexpr int kBoard = 0;
constexpr int kAssertEoi = 1;

bool boardUnusable(const Gpib488 &bus)
{
    return bus.failed()
        && (bus.iberr == Gpib488::ENEB || bus.iberr == Gpib488::EBUS || bus.iberr == Gpib488::ELCK
            || bus.iberr == Gpib488::EDVR);
}

} // namespace

GpibExchange::Result GpibExchange::run(const Request &request, QByteArray *reply)
{
    reply->clear();
    const int ud =
        m_bus.ibdev(kBoard, request.address, Gpib488::NO_SAD, request.timeoutCode, kAssertEoi, Gpib488::kEndOnLf);
    if (ud < 0 || boardUnusable(m_bus)) {
        qCDebug(lcInstrument) << "GPIB: no usable board, iberr" << m_bus.iberr;
        if (ud >= 0)
            m_bus.ibonl(ud, 0);
        return Result::NoBoard;
    }
    // Every way out takes the handle offline: a library has only so many.
    auto offline = qScopeGuard([this, ud] { m_bus.ibonl(ud, 0); });
    if (m_bus.failed())
        return Result::Failed;

    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(request.command);
    m_bus.ibwrt(ud, request.command);
    if (m_bus.failed()) {
        // The device may only have been slow to take the bytes: write again if it listens.
        const int writeError = m_bus.iberr;
        short found = 0;
        m_bus.ibln(ud, request.address, Gpib488::NO_SAD, &found);
        if ((m_bus.failed() && m_bus.iberr == Gpib488::EBUS) || !found) {
            qCDebug(lcInstrument) << "GPIB: no listener at" << request.address << "(write error" << writeError << ")";
            return Result::NoListener;
        }
        m_bus.ibwrt(ud, request.command);
    }
    const bool written = !m_bus.failed();
    systemClock().pause(kWriteSettleMs);
    if (!written)
        return Result::Failed;
    return readMessages(ud, request.gatherUntilStatus, reply);
}

GpibExchange::Result GpibExchange::readMessages(int ud, bool gather, QByteArray *reply)
{
    for (;;) {
        QByteArray message;
        bool timedOut = false;
        for (;;) {
            QByteArray chunk;
            m_bus.ibrd(ud, chunk, kReadChunk);
            if (!chunk.isEmpty())
                qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(chunk);
            message += chunk;
            if (message.size() + reply->size() > TransportState::kMaxReplyBytes) {
                *reply += message;
                return Result::Overflow;
            }
            if (m_bus.failed()) {
                timedOut = true; // a time-out or any other read error ends the answer
                break;
            }
            if (m_bus.ended() || chunk.isEmpty())
                break;
        }
        *reply += trimBlanks(QString::fromLatin1(message)).toLatin1();
        if (onRead)
            onRead(*reply);
        if (timedOut || !gather || message.isEmpty() || message.contains('*'))
            break;
    }
    return reply->isEmpty() ? Result::TimedOut : Result::Answered;
}
