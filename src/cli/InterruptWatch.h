#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

/**
 * @brief Ctrl-C, a closed terminal or a polite kill while the tool runs: the action runs on the
 * main thread before the tool ends, where ending by the signal alone would skip every clean-up.
 *
 * The signal handler only writes the signal's number to a pipe. The main thread's event loop
 * (every wait of an exchange runs one) reads it and runs the action, which may call any function.
 * A second signal of the same kind while the action runs ends the tool at once, as an impatient
 * user expects. On systems without POSIX signals the watch does nothing.
 */
class InterruptWatch : public QObject
{
    Q_OBJECT
public:
    using Action = std::function<void(int signal)>;

    /// Watches SIGINT, SIGTERM and SIGHUP for as long as it lives; one watch at a time.
    explicit InterruptWatch(Action action, QObject *parent = nullptr);
    ~InterruptWatch() override;

    /// Whether the signals are watched (the pipe could be made, and no other watch is active).
    bool isActive() const { return m_active; }

private:
    void readSignal();

    Action m_action;
    bool m_active = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
