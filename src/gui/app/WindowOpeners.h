#pragma once

// Handlers for MainActions that open a window of type
// Form(InstrumentContext &, Prompts &, QWidget *parent).

#include "gui/app/FormMain.h"

/// Opens the window beside the main window, or brings the one already open to the front. It
/// closes with the main window.
template <class Form>
void openModeless(FormMain &main)
{
    if (QWidget *open = main.findModeless([](QWidget *w) { return dynamic_cast<Form *>(w) != nullptr; })) {
        main.showModeless(open);
        return;
    }
    main.showModeless(new Form(main.context(), main.prompts(), &main));
}

/// Opens the window modally: the main window waits until it closes.
template <class Form>
void openModal(FormMain &main)
{
    Form form(main.context(), main.prompts(), &main);
    form.exec();
}
