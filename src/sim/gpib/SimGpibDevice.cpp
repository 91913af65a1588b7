#include "sim/gpib/SimGpibDevice.h"

#include "platform/Clock.h"
#include "sim/SimLog.h"

namespace {
// An answer nobody reads piles up no further than this; the oldest part is given up.
constexpr qsizetype kMaxOutput = 1024 * 1024;
} // namespace

SimGpibDevice::SimGpibDevice(VirtualCalibrator &calibrator, int address, QObject *parent)
    : QObject(parent),
      m_address(address),
      m_link(
          calibrator, [this](const QByteArray &bytes) { queueOutput(bytes); }, this)
{
}

void SimGpibDevice::receive(const QByteArray &bytes, bool endOfMessage)
{
    // A new message interrupts an answer that was not read: it is thrown away, as IEEE-488.2 asks.
    if (!m_output.isEmpty() || !m_link.isIdle()) {
        qCDebug(lcSim) << "GPIB" << m_address << "unread answer dropped:" << m_output;
        m_output.clear();
        m_link.cancel();
    }
    // LF ends a message as EOI does; CR separates commands as on the serial line.
    QByteArray data = bytes;
    data.replace('\n', '\r');
    if (endOfMessage)
        data += '\r';
    for (const QByteArray &line : m_lines.feed(data)) {
        if (line.isEmpty())
            continue;
        emit lineReceived(line);
        m_link.answer(line);
    }
}

QByteArray SimGpibDevice::talk(qsizetype maxCount, int eosChar, bool *end)
{
    *end = false;
    qsizetype count = qMin(maxCount, m_output.size());
    if (eosChar >= 0) {
        const qsizetype eos = m_output.indexOf(char(eosChar));
        if (eos >= 0 && eos < count) {
            count = eos + 1;
            *end = true;
        }
    }
    const QByteArray bytes = m_output.left(count);
    m_output.remove(0, count);
    // The last byte of a complete answer carries EOI.
    if (!bytes.isEmpty() && m_output.isEmpty() && m_link.isIdle())
        *end = true;
    return bytes;
}

void SimGpibDevice::clear()
{
    m_lines.clear();
    m_link.cancel();
    m_output.clear();
}

void SimGpibDevice::queueOutput(const QByteArray &bytes)
{
    if (m_output.size() + bytes.size() > kMaxOutput) {
        qCWarning(lcSim) << "GPIB" << m_address << "controller is not reading; dropped" << m_output.size() << "bytes";
        m_output.clear();
    }
    m_output += bytes;
    // A controller may be waiting in a read.
    systemClock().wake();
}
