#pragma once

// Handlers for MainActions that open a window of type
// Form(InstrumentSession &, Prompts &, QWidget *parent).

#include "gui/app/FormMain.h"

#include <QPlainTextEdit>
#include <QPointer>

/// Opens the window beside the main window, or brings the one already open to the front. It
/// closes with the main window.
template <class Form>
void openModeless(FormMain &main)
{
    if (QWidget *open = main.findModeless([](QWidget *w) { return dynamic_cast<Form *>(w) != nullptr; })) {
        main.showModeless(open);
        return;
    }
    main.showModeless(new Form(main.session(), main.prompts(), &main));
}

/// openModeless for a window that reports to the main window's status box:
/// Form(InstrumentSession &, Prompts &, std::function<void(const QString &)> status, QWidget *parent).
template <class Form>
void openModelessWithStatus(FormMain &main)
{
    if (QWidget *open = main.findModeless([](QWidget *w) { return dynamic_cast<Form *>(w) != nullptr; })) {
        main.showModeless(open);
        return;
    }
    QPointer<QPlainTextEdit> status = main.quickSetup().Text_Status;
    auto report = [status](const QString &text) {
        if (status)
            status->setPlainText(text);
    };
    main.showModeless(new Form(main.session(), main.prompts(), report, &main));
}

/// Opens a location window modally: the main window waits until it closes, then shows the
/// connection. The window's own work waits its turn on the instrument's queue.
template <class Form>
void openModal(FormMain &main)
{
    FormMain *window = &main;
    main.openModalWindow([window] {
        Form form(window->session(), window->prompts(), window);
        form.exec();
    });
}
