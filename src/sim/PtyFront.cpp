#include "sim/PtyFront.h"

#include "sim/SimLog.h"
#include "sim/VirtualCalibrator.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
// Replies the host does not read pile up here; past this the oldest is given up, like a
// serial line whose far end is not listening.
constexpr qsizetype kMaxOutgoing = 1024 * 1024;
// While no host has the device open there is nothing to read; look again this often. This is
// the system's state, not the instrument's, so it runs on real time.
constexpr int kHostPollMs = 50;
} // namespace

PtyFront::PtyFront(VirtualCalibrator &calibrator, QObject *parent)
    : QObject(parent),
      m_commands(
          &calibrator.knobs(), [this](const QByteArray &line) { hear(line); }, this),
      m_link(
          calibrator, [this](const QByteArray &bytes) { write(bytes); }, this)
{
    // A child, so it moves with the front to the thread the calibrator runs on.
    m_hostPoll.setParent(this);
    m_hostPoll.setSingleShot(true);
    m_hostPoll.setInterval(kHostPollMs);
    connect(&m_hostPoll, &QTimer::timeout, this, [this] {
        if (m_readNotifier)
            m_readNotifier->setEnabled(true);
    });
}

PtyFront::~PtyFront()
{
    close();
}

bool PtyFront::fail(const QString &what)
{
#ifdef Q_OS_UNIX
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
#else
    m_error = what;
#endif
    qCWarning(lcSim) << m_error;
    close();
    return false;
}

#ifdef Q_OS_UNIX

bool PtyFront::open()
{
    close();
    m_error.clear();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(QStringLiteral("cannot create a pseudo-terminal"));
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("cannot unlock the pseudo-terminal"));
    const char *name = ::ptsname(m_master);
    if (!name)
        return fail(QStringLiteral("pseudo-terminal has no device name"));
    m_devicePath = QString::fromLocal8Bit(name);
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("cannot make the pseudo-terminal non-blocking"));

    // Raw 9600 8N1 from the start: no echo, no line editing, no CR/LF translation, so a host
    // that does not set the line up itself still sees the instrument's bytes unchanged. The
    // settings belong to the device and stay when this descriptor is closed.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail(QStringLiteral("cannot open %1").arg(m_devicePath));
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    if (m_holdDevice)
        m_heldSlave = slave;
    else
        ::close(slave);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyFront::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyFront::flushOutgoing);
    qCDebug(lcSim) << "serving on" << m_devicePath;
    return true;
}

void PtyFront::close()
{
    m_hostPoll.stop();
    m_link.cancel();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_heldSlave >= 0)
        ::close(m_heldSlave);
    m_heldSlave = -1;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_devicePath.clear();
    m_outgoing.clear();
    m_commands.clear();
}

void PtyFront::waitForHost()
{
    // With no host on the other side the master reports a hang-up (EIO) for as long as that
    // lasts; listening would spin. Stop listening and look again shortly: what a host writes
    // meanwhile waits in the device.
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    m_hostPoll.start();
}

void PtyFront::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_commands.feed(QByteArray(buffer, qsizetype(n)));
            if (m_master < 0)
                return; // closed by a listener
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or EIO: the last host closed the device. A line it left half-written is
        // not the start of the next host's command.
        m_commands.dropPartialLine();
        waitForHost();
        return;
    }
}

void PtyFront::hear(const QByteArray &line)
{
    emit lineReceived(line);
    if (m_master < 0)
        return; // closed by a listener
    m_link.answer(line);
}

void PtyFront::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    if (m_outgoing.size() + bytes.size() > kMaxOutgoing) {
        qCWarning(lcSim) << "host is not reading; dropped" << m_outgoing.size() << "bytes";
        m_outgoing.clear();
    }
    m_outgoing += bytes;
    flushOutgoing();
}

void PtyFront::flushOutgoing()
{
    while (!m_outgoing.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outgoing.constData(), size_t(m_outgoing.size()));
        if (n > 0) {
            m_outgoing.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        // Nobody on the other side: the bytes are lost, as on an unplugged cable.
        qCDebug(lcSim) << "no host, dropped" << m_outgoing.size() << "bytes";
        m_outgoing.clear();
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

#else // no pseudo-terminals

bool PtyFront::open()
{
    return fail(QStringLiteral("pseudo-terminals are not available on this system"));
}

void PtyFront::close()
{
    m_link.cancel();
}

void PtyFront::waitForHost() {}
void PtyFront::readMaster() {}
void PtyFront::hear(const QByteArray &) {}
void PtyFront::write(const QByteArray &) {}
void PtyFront::flushOutgoing() {}

#endif
