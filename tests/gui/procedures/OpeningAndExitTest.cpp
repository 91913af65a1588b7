#include "ProcedureWindowTestSupport.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_AdapterSetup.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"

#include <QGuiApplication>
#include <QScreen>

#include <functional>

namespace {

using OpeningAndExit = ProcedureWindowTest;

template <class Form>
QWidget *make(InstrumentSession &session, Prompts &prompts)
{
    return new Form(session, prompts);
}

TEST_F(OpeningAndExit, SomeWindowsOpenCentredTheOthersWhereTheyWerePutAndExitUnloadsEach)
{
    const struct
    {
        const char *window;
        std::function<QWidget *(InstrumentSession &, Prompts &)> make;
        bool centred;
        const char *exit;
    } cases[] = {
        {"FormDate", make<FormDate>, true, "Command_Exit"},
        {"Form_AdapterSetup", make<Form_AdapterSetup>, true, "Command_Exit"},
        {"Form_PowerCal", make<Form_PowerCal>, true, "Command_Exit"},
        {"Form_kVAmp", make<Form_kVAmp>, true, "Command_Exit"},
        {"Form_OutputCorrection", make<Form_OutputCorrection>, true, "Command1"},
        {"Form_CalHistory", make<Form_CalHistory>, false, "Command_Exit"},
        {"Form_CalibratorOutput", make<Form_CalibratorOutput>, false, "Command_Exit"},
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto &c : cases) {
        QPointer<QWidget> window = c.make(session, prompts);
        const QPoint put(10, 20);
        window->move(put);
        open(*window);
        if (c.centred)
            EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 2) << c.window;
        else
            EXPECT_EQ(window->pos(), put) << c.window;
        click(*window, QString::fromLatin1(c.exit));
        settle();
        EXPECT_TRUE(window.isNull()) << c.window << " is unloaded by " << c.exit;
    }
}

} // namespace
