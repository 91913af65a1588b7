#pragma once

#include "platform/MainThreadCall.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

/**
 * @brief Makes a window's callback safe to hand to instrument work: called on the windows'
 * thread it runs at once; called from the instrument's thread it is carried over to the windows'
 * thread and made there, in the order of the calls. Either way it runs only while the window
 * still exists.
 *
 * The carried call is posted to the application object, never to the window: the window may be
 * deleted on its own thread at any moment, and only that thread may ask whether it is gone.
 */
template <class... Args>
std::function<void(Args...)> onWindowThread(QObject *window, std::function<void(Args...)> call)
{
    QPointer<QObject> guard(window);
    return [guard, call = std::move(call)](Args... args) {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread()) {
            if (guard)
                call(args...);
            return;
        }
        QMetaObject::invokeMethod(
            app,
            [guard, call, args...] {
                if (guard)
                    call(args...);
            },
            Qt::QueuedConnection);
    };
}

/// Runs call on the windows' thread and returns when it has returned; called from the
/// instrument's thread, that thread waits meanwhile. For what an operation needs of the windows
/// before it can go on (Quick Setup opening the specifications window and loading a file into
/// it). The windows' thread never waits for the instrument's, so this cannot deadlock.
inline void runOnWindowThread(const std::function<void()> &call)
{
    callOnMainThread(call);
}
