#include "cli/InterruptWatch.h"

#include <QSocketNotifier>

#if defined(Q_OS_UNIX)
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

#if defined(Q_OS_UNIX)
namespace {

constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};
// The pipe the handler writes to; -1 when no watch is active. Only async-signal-safe calls touch it.
std::atomic<int> g_writeEnd{-1};
int g_readEnd = -1;
struct sigaction g_previous[3];

extern "C" void onSignal(int signal)
{
    const int saved = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = saved;
}

} // namespace
#endif

InterruptWatch::InterruptWatch(Action action, QObject *parent) : QObject(parent), m_action(std::move(action))
{
#if defined(Q_OS_UNIX)
    if (g_writeEnd.load() >= 0)
        return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_readEnd = fds[0];
    g_writeEnd = fds[1];
    for (int i = 0; i < 3; ++i) {
        struct sigaction handler = {};
        handler.sa_handler = onSignal;
        sigemptyset(&handler.sa_mask);
        // The first signal is ours; the next one of the kind gets the default (the tool ends).
        handler.sa_flags = SA_RESTART | SA_RESETHAND;
        sigaction(kWatched[i], &handler, &g_previous[i]);
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { readSignal(); });
    m_active = true;
#endif
}

InterruptWatch::~InterruptWatch()
{
#if defined(Q_OS_UNIX)
    if (!m_active)
        return;
    m_notifier.reset();
    for (int i = 0; i < 3; ++i)
        sigaction(kWatched[i], &g_previous[i], nullptr);
    const int writeEnd = g_writeEnd.exchange(-1);
    ::close(writeEnd);
    ::close(g_readEnd);
    g_readEnd = -1;
#endif
}

void InterruptWatch::readSignal()
{
#if defined(Q_OS_UNIX)
    unsigned char number = 0;
    if (::read(g_readEnd, &number, 1) != 1)
        return;
    if (m_action)
        m_action(number);
#endif
}
