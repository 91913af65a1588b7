#pragma once

#include <QString>

/// Gives a control the name the program's windows use for it ("Command_SaveAll"), so tests and
/// screenshots find it by that name, and returns it for use in layout code.
template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
