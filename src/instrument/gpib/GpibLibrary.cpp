#include "instrument/gpib/GpibLibrary.h"

#include "instrument/Logging.h"

#include <QMutex>
#include <QMutexLocker>

#include <cstddef>

// The 32-bit Windows libraries use the standard calling convention; elsewhere there is only one.
#if defined(Q_OS_WIN) && !defined(_WIN64)
#define GPIB_CALL __stdcall
#else
#define GPIB_CALL
#endif

namespace {

// linux-gpib and the classic Windows library: int results and long counts.
using ClassicDev = int(GPIB_CALL *)(int, int, int, int, int, int);
using ClassicWrite = int(GPIB_CALL *)(int, const void *, long);
using ClassicRead = int(GPIB_CALL *)(int, void *, long);
using ClassicHandleInt = int(GPIB_CALL *)(int, int);
using ClassicListen = int(GPIB_CALL *)(int, int, int, short *);
using ClassicHandle = int(GPIB_CALL *)(int);
using ClassicIntStatus = int(GPIB_CALL *)();
using ClassicLongStatus = long(GPIB_CALL *)();

// The vendor's current library: unsigned long results and size_t counts.
using VendorDev = int(GPIB_CALL *)(int, int, int, int, int, int);
using VendorWrite = unsigned long(GPIB_CALL *)(int, const void *, size_t);
using VendorRead = unsigned long(GPIB_CALL *)(int, void *, size_t);
using VendorHandleInt = unsigned long(GPIB_CALL *)(int, int);
using VendorListen = unsigned long(GPIB_CALL *)(int, int, int, short *);
using VendorHandle = unsigned long(GPIB_CALL *)(int);
using VendorStatus = unsigned long(GPIB_CALL *)();

using RegisterGlobals = int(GPIB_CALL *)(int *, int *, int *, long *);
using UnregisterGlobals = int(GPIB_CALL *)();

const QString kNoLibrary = QStringLiteral("no IEEE-488.2 library found");
const QString kNotMultithreadedMessage =
    QStringLiteral("Operating System is not multi-threaded. Quitting the Program!");
const QString kCannotRegisterMessage = QStringLiteral("Unable to register GPIB thread globals. Quitting the Program!");
const QString kUnknownRegisterMessage =
    QStringLiteral("Unknown Error for Registering GPIB Globals!!! Quitting the Program!");

QMutex &handlerMutex()
{
    static QMutex mutex;
    return mutex;
}

GpibLibrary::SetupFailureHandler &setupFailureHandler()
{
    static GpibLibrary::SetupFailureHandler handler;
    return handler;
}

template <typename F>
F as(QFunctionPointer f)
{
    return reinterpret_cast<F>(f);
}

/// QLibrary hands every symbol out as a function pointer; the status variables are data.
template <typename T>
T *dataSymbol(QFunctionPointer p)
{
    return reinterpret_cast<T *>(reinterpret_cast<quintptr>(p));
}

} // namespace

GpibLibrary::GpibLibrary(const QStringList &candidates)
{
    for (const QString &name : candidates) {
        if (load(name))
            return;
    }
    if (m_reason.isEmpty())
        m_reason = kNoLibrary;
    qCDebug(lcInstrument) << "GPIB:" << m_reason << "- looked for" << candidates;
}

GpibLibrary::~GpibLibrary()
{
    if (m_registered && m_unregister)
        as<UnregisterGlobals>(m_unregister)();
    // The library stays loaded: a process that used it may still have its handles in the driver.
}

QStringList GpibLibrary::defaultCandidates()
{
#if defined(Q_OS_WIN)
    return {QStringLiteral("ni4882.dll"), QStringLiteral("gpib-32.dll")};
#elif defined(Q_OS_LINUX)
    return {QStringLiteral("libgpib.so.0"), QStringLiteral("libni4882.so"), QStringLiteral("libni4882.so.1")};
#else
    return {QStringLiteral("libgpib.so.0")};
#endif
}

std::shared_ptr<GpibLibrary> GpibLibrary::system()
{
    static const std::shared_ptr<GpibLibrary> library = std::make_shared<GpibLibrary>();
    return library;
}

void GpibLibrary::setSetupFailureHandler(SetupFailureHandler handler)
{
    QMutexLocker lock(&handlerMutex());
    setupFailureHandler() = std::move(handler);
}

bool GpibLibrary::load(const QString &name)
{
    m_library.setFileName(name);
    if (!m_library.load()) {
        qCDebug(lcInstrument) << "GPIB: cannot load" << name << m_library.errorString();
        return false;
    }
    auto resolve = [this](const char *symbol) { return m_library.resolve(symbol); };
    // The calls every library must have, then the ways it may keep its status words.
    const std::pair<const char *, QFunctionPointer *> calls[] = {{"ibdev", &m_ibdev}, {"ibwrt", &m_ibwrt},
                                                                 {"ibrd", &m_ibrd},   {"ibonl", &m_ibonl},
                                                                 {"ibln", &m_ibln},   {"ibclr", &m_ibclr}};
    const std::pair<const char *, QFunctionPointer *> optional[] = {{"RegisterGpibGlobalsForThread", &m_register},
                                                                    {"UnregisterGpibGlobalsForThread", &m_unregister},
                                                                    {"ThreadIbsta", &m_threadIbsta},
                                                                    {"ThreadIberr", &m_threadIberr},
                                                                    {"ThreadIbcnt", &m_threadIbcnt},
                                                                    {"ThreadIbcntl", &m_threadIbcntl}};
    QStringList missing;
    for (const auto &[symbol, function] : calls) {
        *function = resolve(symbol);
        if (!*function)
            missing << QLatin1String(symbol);
    }
    for (const auto &[symbol, function] : optional)
        *function = resolve(symbol);

    m_flavour = name.contains(QLatin1String("ni4882"), Qt::CaseInsensitive) ? Flavour::Vendor : Flavour::Classic;
    // The vendor's ThreadIbcntl is a macro for ThreadIbcnt, which already gives the full count.
    if (!m_threadIbcntl)
        m_threadIbcntl = m_threadIbcnt;
    auto variable = [&resolve](const char *plain, const char *prefixed) {
        QFunctionPointer p = resolve(plain);
        return p ? p : resolve(prefixed);
    };
    m_globalIbsta = dataSymbol<int>(variable("ibsta", "user_ibsta"));
    m_globalIberr = dataSymbol<int>(variable("iberr", "user_iberr"));
    m_globalIbcnt = dataSymbol<int>(variable("ibcnt", "user_ibcnt"));
    m_globalIbcntl = dataSymbol<long>(variable("ibcntl", "user_ibcntl"));

    if (m_register && m_unregister)
        m_statusSource = StatusSource::Registered;
    else if (m_threadIbsta && m_threadIberr && m_threadIbcntl)
        m_statusSource = StatusSource::ThreadFunctions;
    else if (m_globalIbsta && m_globalIberr && (m_globalIbcntl || m_globalIbcnt))
        m_statusSource = StatusSource::Globals;
    else
        missing << QStringLiteral("its status words");

    if (!missing.isEmpty()) {
        m_reason = QStringLiteral("the IEEE-488.2 library %1 lacks %2")
                       .arg(m_library.fileName(), missing.join(QStringLiteral(", ")));
        qCWarning(lcInstrument).noquote() << "GPIB:" << m_reason;
        m_library.unload();
        return false;
    }
    m_reason.clear();
    m_loaded = true;
    qCDebug(lcInstrument) << "GPIB: using" << m_library.fileName();
    return true;
}

bool GpibLibrary::available() const
{
    return m_loaded && m_reason.isEmpty();
}

QString GpibLibrary::reason() const
{
    return m_reason;
}

QString GpibLibrary::fileName() const
{
    return m_loaded ? m_library.fileName() : QString();
}

bool GpibLibrary::ready()
{
    if (!m_loaded)
        return false;
    if (!m_setupDone) {
        m_setupDone = true;
        if (m_statusSource == StatusSource::Registered)
            registerThreadGlobals();
    }
    return m_reason.isEmpty();
}

void GpibLibrary::registerThreadGlobals()
{
    auto reg = as<RegisterGlobals>(m_register);
    auto unreg = as<UnregisterGlobals>(m_unregister);
    int result = reg(&m_threadStatus, &m_threadError, &m_threadCount, &m_threadCountLong);
    if (result == kAlreadyRegistered) {
        // Someone registered other variables for this thread; take the registration over.
        unreg();
        result = reg(&m_threadStatus, &m_threadError, &m_threadCount, &m_threadCountLong);
        if (result == kAlreadyRegistered)
            result = kRegistered;
    }
    QString message;
    switch (result) {
    case kRegistered:
        m_registered = true;
        return;
    case kNotMultithreaded:
        message = kNotMultithreadedMessage;
        unreg();
        break;
    case kCannotRegister:
        message = kCannotRegisterMessage;
        unreg();
        break;
    default:
        message = kUnknownRegisterMessage;
        break;
    }
    m_reason = message;
    qCCritical(lcInstrument).noquote() << "GPIB:" << message << "(RegisterGpibGlobalsForThread answered" << result
                                       << ")";
    SetupFailureHandler handler;
    {
        QMutexLocker lock(&handlerMutex());
        handler = setupFailureHandler();
    }
    if (handler)
        handler(message);
}

void GpibLibrary::copyStatus()
{
    long count = 0;
    switch (m_statusSource) {
    case StatusSource::Registered:
        ibsta = m_threadStatus;
        iberr = m_threadError;
        count = m_threadCountLong;
        break;
    case StatusSource::ThreadFunctions:
        if (m_flavour == Flavour::Vendor) {
            ibsta = int(as<VendorStatus>(m_threadIbsta)());
            iberr = int(as<VendorStatus>(m_threadIberr)());
            count = long(as<VendorStatus>(m_threadIbcntl)());
        } else {
            ibsta = as<ClassicIntStatus>(m_threadIbsta)();
            iberr = as<ClassicIntStatus>(m_threadIberr)();
            count = m_threadIbcntl == m_threadIbcnt ? long(as<ClassicIntStatus>(m_threadIbcnt)())
                                                    : as<ClassicLongStatus>(m_threadIbcntl)();
        }
        break;
    case StatusSource::Globals:
        ibsta = *m_globalIbsta;
        iberr = *m_globalIberr;
        count = m_globalIbcntl ? *m_globalIbcntl : long(*m_globalIbcnt);
        break;
    }
    ibsta &= 0xffff;
    // The error code means something only with ERR set; libraries leave the last one standing.
    if (!(ibsta & ERR))
        iberr = 0;
    ibcntl = count;
    ibcnt = int(count);
}

int GpibLibrary::noBoard()
{
    ibsta = ERR;
    iberr = ENEB;
    ibcnt = 0;
    ibcntl = 0;
    return ibsta;
}

int GpibLibrary::ibdev(int board, int pad, int sad, int timo, int sendEoi, int eosMode)
{
    if (!ready()) {
        noBoard();
        return -1;
    }
    // Both flavours declare ibdev alike.
    const int ud = as<ClassicDev>(m_ibdev)(board, pad, sad, timo, sendEoi, eosMode);
    copyStatus();
    return ud;
}

int GpibLibrary::ibwrt(int ud, const QByteArray &data)
{
    if (!ready())
        return noBoard();
    if (m_flavour == Flavour::Vendor)
        as<VendorWrite>(m_ibwrt)(ud, data.constData(), size_t(data.size()));
    else
        as<ClassicWrite>(m_ibwrt)(ud, data.constData(), long(data.size()));
    copyStatus();
    return ibsta;
}

int GpibLibrary::ibrd(int ud, QByteArray &data, long maxCount)
{
    data.clear();
    if (!ready())
        return noBoard();
    maxCount = qMax(0L, maxCount);
    data.resize(qsizetype(maxCount));
    if (m_flavour == Flavour::Vendor)
        as<VendorRead>(m_ibrd)(ud, data.data(), size_t(maxCount));
    else
        as<ClassicRead>(m_ibrd)(ud, data.data(), maxCount);
    copyStatus();
    data.resize(qsizetype(qBound(0L, ibcntl, maxCount)));
    return ibsta;
}

int GpibLibrary::ibonl(int ud, int online)
{
    if (!ready())
        return noBoard();
    if (m_flavour == Flavour::Vendor)
        as<VendorHandleInt>(m_ibonl)(ud, online);
    else
        as<ClassicHandleInt>(m_ibonl)(ud, online);
    copyStatus();
    return ibsta;
}

int GpibLibrary::ibln(int ud, int pad, int sad, short *found)
{
    short listener = 0;
    if (!ready()) {
        if (found)
            *found = 0;
        return noBoard();
    }
    if (m_flavour == Flavour::Vendor)
        as<VendorListen>(m_ibln)(ud, pad, sad, &listener);
    else
        as<ClassicListen>(m_ibln)(ud, pad, sad, &listener);
    copyStatus();
    if (found)
        *found = listener;
    return ibsta;
}

int GpibLibrary::ibclr(int ud)
{
    if (!ready())
        return noBoard();
    if (m_flavour == Flavour::Vendor)
        as<VendorHandle>(m_ibclr)(ud);
    else
        as<ClassicHandle>(m_ibclr)(ud);
    copyStatus();
    return ibsta;
}
