#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

/// A host on the device side with plain POSIX calls, running the test's events while it waits
/// so the in-process calibrator can answer.
class RawHost
{
public:
    explicit RawHost(const QString &path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~RawHost() { close(); }
    bool isOpen() const { return m_fd >= 0; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    void send(const QByteArray &bytes)
    {
        qsizetype done = 0;
        QDeadlineTimer deadline(5000);
        while (done < bytes.size() && !deadline.hasExpired()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            else
                runEvents(1); // the device is full until the calibrator reads
        }
        ASSERT_EQ(done, bytes.size()) << "could not write to the device";
    }

    /// Collects what arrives until it ends with `end` (real time cap only against a hang).
    QByteArray receiveUntil(const QByteArray &end, int capMs = 3000)
    {
        QDeadlineTimer deadline(capMs);
        while (!m_received.endsWith(end) && !deadline.hasExpired())
            runEvents(2);
        return take();
    }

    /// Collects what arrives within a short real moment.
    QByteArray receiveFor(int realMs)
    {
        QDeadlineTimer deadline(realMs);
        while (!deadline.hasExpired())
            runEvents(2);
        return take();
    }

private:
    void runEvents(int pollMs)
    {
        QCoreApplication::processEvents();
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, pollMs) > 0 && (p.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0)
                m_received.append(buffer, n);
        }
    }
    QByteArray take()
    {
        QByteArray r = m_received;
        m_received.clear();
        return r;
    }

    int m_fd;
    QByteArray m_received;
};

qint64 cpuTimeMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

/// Runs the event loop for a real moment, returning the CPU time the process spent meanwhile.
qint64 cpuSpentIdling(int realMs)
{
    const qint64 before = cpuTimeMs();
    QEventLoop loop;
    QTimer::singleShot(realMs, &loop, &QEventLoop::quit);
    loop.exec();
    return cpuTimeMs() - before;
}

const QByteArray kIdentity = "Quorvadine,5241,52410123,2.13\r\n";

class PtyFrontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        ASSERT_TRUE(sim.devicePath().startsWith(QLatin1String("/dev/"))) << sim.devicePath().toStdString();
    }

    ScopedFakeClock fake;
    SimPty sim;
};

TEST_F(PtyFrontTest, AnswersIdentityOverTheDevice)
{
    RawHost host(sim.devicePath());
    ASSERT_TRUE(host.isOpen());
    host.send("*IDN?\r");
    EXPECT_EQ(host.receiveUntil("\r\n"), kIdentity);
}

TEST_F(PtyFrontTest, ALineSplitAcrossWritesAndLfEndingsAreUnderstood)
{
    RawHost host(sim.devicePath());
    host.send("*ID");
    EXPECT_EQ(host.receiveFor(30), "") << "half a command is no command";
    host.send("N?\r");
    EXPECT_EQ(host.receiveUntil("\r\n"), kIdentity);

    // CR LF endings: the LF is not taken for an empty or unknown command.
    host.send("CAL:PRINT 006\r\n*IDN?\r\n");
    EXPECT_EQ(host.receiveUntil(kIdentity), "*0\r\n" + kIdentity);
    EXPECT_EQ(host.receiveFor(30), "");
}

TEST_F(PtyFrontTest, AnOverlongLineIsDroppedAndServiceGoesOn)
{
    RawHost host(sim.devicePath());
    host.send(QByteArray(70 * 1024, 'A'));
    host.send("\r*IDN?\r");
    EXPECT_EQ(host.receiveUntil(kIdentity), kIdentity) << "no *9 for the monster or its tail";
}

TEST_F(PtyFrontTest, HostsMayCloseAndReopenTheDevice)
{
    {
        RawHost first(sim.devicePath());
        first.send("*IDN?\r");
        EXPECT_EQ(first.receiveUntil("\r\n"), kIdentity);
    }
    RawHost second(sim.devicePath());
    ASSERT_TRUE(second.isOpen());
    second.send("CAL:PRINT 150\r");
    EXPECT_EQ(second.receiveUntil("\r\n"), "*5\r\n");
}

TEST_F(PtyFrontTest, ASerialPortOpensTheDeviceDespiteTheFrontsOwnDescriptor)
{
    // The serial port locks the device for itself; the descriptor the front holds came first.
    QSerialPort port(sim.devicePath());
    port.setBaudRate(QSerialPort::Baud9600);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
    port.write("T\r");
    QByteArray reply;
    QDeadlineTimer deadline(3000);
    while (!reply.endsWith("*0\r\n") && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        reply += port.readAll();
    }
    EXPECT_TRUE(reply.startsWith("Version ")) << reply.constData();
    EXPECT_EQ(reply.count("\r\n"), 6);
    port.close();

    RawHost host(sim.devicePath());
    ASSERT_TRUE(host.isOpen()) << "the lock ends with the port";
    host.send("*IDN?\r");
    EXPECT_EQ(host.receiveUntil("\r\n"), kIdentity);
}

TEST_F(PtyFrontTest, KnobsActOnTheDeviceOnVirtualTime)
{
    int heard = 0;
    QObject::connect(&sim.front, &PtyFront::lineReceived, [&heard] { ++heard; });
    sim.knobs().replyDelayMs = 2000;
    sim.knobs().splitPieces = 2;
    sim.knobs().splitGapMs = 500;

    RawHost host(sim.devicePath());
    host.send("*IDN?\r");
    QDeadlineTimer deadline(3000);
    while (heard == 0 && !deadline.hasExpired())
        host.receiveFor(2);
    ASSERT_EQ(heard, 1);

    fake.clock.advance(1999);
    EXPECT_EQ(host.receiveFor(20), "");
    fake.clock.advance(1);
    const QByteArray firstHalf = host.receiveFor(20);
    EXPECT_EQ(firstHalf, kIdentity.left(kIdentity.size() - kIdentity.size() / 2));
    fake.clock.advance(499);
    EXPECT_EQ(host.receiveFor(20), "");
    fake.clock.advance(1);
    EXPECT_EQ(firstHalf + host.receiveUntil("\r\n"), kIdentity);
}

TEST(PtyFrontWithoutHeldDevice, NoHostMeansNoSpinAndAReturningHostIsServed)
{
    ScopedFakeClock fake;
    VirtualCalibrator calibrator;
    PtyFront front(calibrator);
    front.setHoldDeviceOpen(false);
    ASSERT_TRUE(front.open()) << front.errorString().toStdString();

    // Nobody has the device open: the master reports a hang-up all the while.
    EXPECT_LT(cpuSpentIdling(200), 70);
    for (int round = 0; round < 2; ++round) {
        {
            RawHost host(front.devicePath());
            ASSERT_TRUE(host.isOpen());
            host.send("*IDN?\r");
            EXPECT_EQ(host.receiveUntil("\r\n"), kIdentity) << "round " << round;
        }
        EXPECT_LT(cpuSpentIdling(200), 70) << "round " << round;
    }
}

} // namespace
