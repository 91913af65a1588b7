#include "ChildProcess.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

ChildProcess::Result ChildProcess::run(const QString &program, const QStringList &arguments,
                                       const QMap<QString, QString> &environment,
                                       const QByteArray &awaitedPrefix, int timeoutMs)
{
    Result result;

    std::vector<QByteArray> argStore{program.toLocal8Bit()};
    for (const QString &a : arguments)
        argStore.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.cbegin(); it != environment.cend(); ++it) {
        if (it.value().isNull())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    std::vector<QByteArray> envStore;
    for (const QString &entry : env.toStringList())
        envStore.push_back(entry.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        result.error = QStringLiteral("no pipe: ") + QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // Its warnings (an offscreen platform's remarks) would only clutter the report.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, argStore.front().constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        result.error = QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(rc)));
        return result;
    }
    result.started = true;

    // Read its output until it closes, noting when the awaited line came.
    bool open = true;
    QByteArray pending;
    while (open) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            result.error = QStringLiteral("did not end within %1 ms").arg(timeoutMs);
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        const int n = ::poll(&p, 1, int(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            open = got < 0 && errno == EINTR;
            continue;
        }
        const double at = double(clock.nsecsElapsed()) / 1e6;
        result.output.append(buffer, got);
        pending.append(buffer, got);
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(nl);
            pending.remove(0, nl + 1);
            if (!result.sawLine && line.startsWith(awaitedPrefix)) {
                result.sawLine = true;
                result.lineAtMs = at;
            }
        }
    }
    ::close(out[0]);

    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.exitedAtMs = double(clock.nsecsElapsed()) / 1e6;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakRssMb = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return result;
}
