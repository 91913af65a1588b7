#include "gui/app/MainActions.h"

#include "gui/app/WindowOpeners.h"
#include "gui/caldata/FormCalFactors.h"

// The windows of the program, one line each. A control stays disabled until its line is here.
static MainActions buildStandardActions()
{
    MainActions actions;
    actions.add(MainAction::CalibrationFactors, openModelessWithStatus<FormCalFactors>);
    return actions;
}

const MainActions &MainActions::standard()
{
    static const MainActions table = buildStandardActions();
    return table;
}
