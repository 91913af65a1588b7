#include "gui/app/Main.h"

#include "gui/app/FormMain.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "platform/Settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void LoadDVMFromSettings(InstrumentContext &context)
{
    context.setDvm(CreateDVM(Settings::value(SettingsKey::DVM1), context));
    context.dvm()->SetCommControl(context.dvm1Comm());
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

std::unique_ptr<FormMain> Main(InstrumentContext &context, Prompts &prompts, const QString &windowTitle)
{
    LoadDVMFromSettings(context);
    auto window = std::make_unique<FormMain>(context, prompts);
    if (!windowTitle.isEmpty())
        window->setWindowTitle(windowTitle);
    if (!window->Form_Load())
        return nullptr;
    return window;
}
