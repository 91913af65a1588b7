#pragma once

#include "platform/Gpib488.h"

#include <QLibrary>
#include <QStringList>
#include <functional>
#include <memory>

/**
 * @brief The system's IEEE-488.2 library, loaded at run time: linux-gpib's libgpib.so.0 or the
 * vendor's libni4882.so on Linux, ni4882.dll or gpib-32.dll on Windows.
 *
 * Nothing is linked at build time, so the program starts on a machine without any GPIB software;
 * there available() is false, reason() says "no IEEE-488.2 library found" and every call fails as
 * "no board" (ERR, iberr ENEB).
 *
 * The status words are read after every call from wherever the library keeps them: variables
 * registered for this thread where the library has RegisterGpibGlobalsForThread, else its
 * per-thread functions (ThreadIbsta ...), else its process-wide variables. The registration runs
 * once, just before the first call of any kind; a library that refuses it is unusable, and the
 * failure handler hears the fixed message (the windowed program shows it and ends).
 *
 * The library's calls block: a read waits up to its time-out (10 s for the transport) on the
 * caller's thread, which is the GUI thread, as it always was with this interface.
 */
class GpibLibrary : public Gpib488
{
public:
    /// Tries each name in turn; bare names go through the system's library search.
    explicit GpibLibrary(const QStringList &candidates = defaultCandidates());
    ~GpibLibrary() override;

    GpibLibrary(const GpibLibrary &) = delete;
    GpibLibrary &operator=(const GpibLibrary &) = delete;

    /// The library names this system's GPIB software installs, most likely first.
    static QStringList defaultCandidates();

    /// The process's library, loaded on first use and kept to the end.
    static std::shared_ptr<GpibLibrary> system();

    /// Hears the message when the library refuses to register the status variables for this
    /// thread. Process-wide, like the library; without a handler the failure is only logged.
    using SetupFailureHandler = std::function<void(const QString &message)>;
    static void setSetupFailureHandler(SetupFailureHandler handler);

    bool available() const override;
    QString reason() const override;
    /// The library that was loaded (empty when none was).
    QString fileName() const;

    int ibdev(int board, int pad, int sad, int timo, int sendEoi, int eosMode) override;
    int ibwrt(int ud, const QByteArray &data) override;
    int ibrd(int ud, QByteArray &data, long maxCount) override;
    int ibonl(int ud, int online) override;
    int ibln(int ud, int pad, int sad, short *found) override;
    int ibclr(int ud) override;

    // RegisterGpibGlobalsForThread's answers.
    static constexpr int kRegistered = 0;
    static constexpr int kAlreadyRegistered = 1;
    static constexpr int kNotMultithreaded = 2;
    static constexpr int kCannotRegister = 3;

private:
    enum class Flavour { Classic, Vendor };
    enum class StatusSource { Registered, ThreadFunctions, Globals };

    bool load(const QString &name);
    bool ready();
    void registerThreadGlobals();
    void copyStatus();
    int noBoard();

    QLibrary m_library;
    bool m_loaded = false;
    bool m_setupDone = false;
    bool m_registered = false;
    QString m_reason;
    Flavour m_flavour = Flavour::Classic;
    StatusSource m_statusSource = StatusSource::Globals;

    QFunctionPointer m_ibdev = nullptr;
    QFunctionPointer m_ibwrt = nullptr;
    QFunctionPointer m_ibrd = nullptr;
    QFunctionPointer m_ibonl = nullptr;
    QFunctionPointer m_ibln = nullptr;
    QFunctionPointer m_ibclr = nullptr;
    QFunctionPointer m_register = nullptr;
    QFunctionPointer m_unregister = nullptr;
    QFunctionPointer m_threadIbsta = nullptr;
    QFunctionPointer m_threadIberr = nullptr;
    QFunctionPointer m_threadIbcnt = nullptr;
    QFunctionPointer m_threadIbcntl = nullptr;
    int *m_globalIbsta = nullptr;
    int *m_globalIberr = nullptr;
    int *m_globalIbcnt = nullptr;
    long *m_globalIbcntl = nullptr;

    // The variables the library fills for this thread once registered; their addresses are
    // handed to the library, so the object never moves (it is not copyable).
    int m_threadStatus = 0;
    int m_threadError = 0;
    int m_threadCount = 0;
    long m_threadCountLong = 0;
};
