#include "gui/app/Main.h"

#include "gui/app/FormMain.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void LoadDVMFromSettings(InstrumentSession &session)
{
    session.createDvm(Settings::value(SettingsKey::DVM1));
}

void CenterForm(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

std::unique_ptr<FormMain> Main(InstrumentSession &session, Prompts &prompts, const QString &windowTitle)
{
    LoadDVMFromSettings(session);
    auto window = std::make_unique<FormMain>(session, prompts);
    if (!windowTitle.isEmpty())
        window->setWindowTitle(windowTitle);
    if (!window->Form_Load())
        return nullptr;
    return window;
}
