#pragma once

#include <QCoreApplication>
#include <QThread>

#include <type_traits>

/// Runs call on the application's main thread (the windows' thread) and gives back its result.
/// Called from another thread, that thread waits while the main thread goes on handling events;
/// the main thread must not itself be waiting for the calling thread then, or both would wait for
/// ever. Without an application object, or on the main thread, it is an ordinary call.
template <typename Call>
auto callOnMainThread(Call call) -> decltype(call())
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return call();
    if constexpr (std::is_void_v<decltype(call())>) {
        QMetaObject::invokeMethod(app, call, Qt::BlockingQueuedConnection);
    } else {
        decltype(call()) result{};
        QMetaObject::invokeMethod(
            app, [&] { result = call(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}
