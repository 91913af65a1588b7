#pragma once

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "session/InstrumentSession.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

/**
 * @brief A procedure window's surroundings: a scripted instrument (replies by command, "*0" and
 * CR for anything not listed), scripted prompts and virtual time.
 */
class ProcedureWindowTest : public ::testing::Test
{
protected:
    ProcedureWindowTest()
    {
        auto owned = std::make_unique<ScriptedDVM>();
        dvm = owned.get();
        session.setDvm(std::move(owned));
        dvm->responder = [this](const QString &command) { return replies.value(command, QStringLiteral("*0\r")); };
    }

    QStringList commands() const { return dvm->commands(); }

    template <class T = QWidget>
    static T *child(QWidget &window, const QString &name)
    {
        T *found = window.findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    static void click(QWidget &window, const QString &name)
    {
        if (QAbstractButton *b = child<QAbstractButton>(window, name))
            b->click();
    }
    static void type(QWidget &window, const QString &name, const QString &text)
    {
        if (QLineEdit *edit = child<QLineEdit>(window, name))
            edit->setText(text);
    }
    static QString text(QWidget &window, const QString &name)
    {
        if (auto *edit = window.findChild<QLineEdit *>(name))
            return edit->text();
        if (auto *label = window.findChild<QLabel *>(name))
            return label->text();
        ADD_FAILURE() << "no box or label " << name.toStdString();
        return {};
    }
    static void pressEnter(QWidget &window, const QString &name)
    {
        QWidget *target = child(window, name);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
    }
    /// Shows the window and lets it load and become active, as opening it from the main window does.
    static void open(QWidget &window)
    {
        window.show();
        window.activateWindow();
        QCoreApplication::processEvents();
        // The refresh of the activation, which runs from the event loop once that is over.
        QCoreApplication::sendPostedEvents();
    }
    /// The window becomes the active window again.
    static void reactivate(QWidget &window)
    {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
        // The window's refresh runs from the event loop once the activation is over.
        QCoreApplication::sendPostedEvents();
    }
    /// Lets a window that closed itself be deleted.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    ScopedFakeClock fake;
    InstrumentSession session;
    ScriptedDVM *dvm = nullptr;
    ScriptedPrompts prompts;
    QHash<QString, QString> replies;
};
