#pragma once

#include "gui/app/MainAction.h"

#include <QMap>

#include <functional>

class FormMain;

/**
 * @brief What the main window's buttons and menu entries for other windows do: one handler per
 * MainAction. A control whose action has no handler is shown disabled.
 *
 * The program's table is built in MainActions.cpp, one line per window:
 *
 *     actions.add(MainAction::CalibrationFactors, openModeless<FormCalFactors>);
 *
 * (openModeless and openModal are in WindowOpeners.h.)
 * Handlers get the main window, which hands out the instrument session, the prompts, the Quick
 * Setup controls and showModeless() (windows opened that way close with the main window).
 */
class MainActions
{
public:
    using Handler = std::function<void(FormMain &)>;

    void add(MainAction action, Handler handler) { m_handlers.insert(action, std::move(handler)); }
    bool contains(MainAction action) const { return m_handlers.contains(action); }
    /// The handler, or an empty one.
    Handler handler(MainAction action) const { return m_handlers.value(action); }

    /// The program's own table.
    static const MainActions &standard();

private:
    QMap<MainAction, Handler> m_handlers;
};
