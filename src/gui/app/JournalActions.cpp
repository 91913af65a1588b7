#include "gui/app/JournalActions.h"

#include "gui/app/QuickSetupActions.h"
#include "gui/app/WindowOpeners.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/caldata/FormSpecifications.h"
#include "gui/records/FormChangeJournal.h"
#include "platform/Prompts.h"
#include "records/SnapshotOpening.h"

#include <QPointer>

namespace JournalActions {

void showChangeJournal(FormMain &main)
{
    if (QWidget *open = main.findModeless([](QWidget *w) { return qobject_cast<FormChangeJournal *>(w) != nullptr; })) {
        main.showModeless(open);
        return;
    }
    QPointer<FormMain> window(&main);
    auto opener = [window](const QString &path, TableKind kind) { return window && openSnapshot(*window, path, kind); };
    main.showModeless(new FormChangeJournal(main.prompts(), opener, &main));
}

bool openSnapshot(FormMain &main, const QString &path, TableKind kind)
{
    QPointer<TableWindow> form;
    if (kind == TableKind::Factors) {
        openModelessWithStatus<FormCalFactors>(main);
        form = qobject_cast<FormCalFactors *>(
            main.findModeless([](QWidget *w) { return qobject_cast<FormCalFactors *>(w) != nullptr; }));
    } else {
        // Filled from the file at once, so the window does not read the instrument's table first.
        form = QuickSetupActions::showSpecifications(main, false);
    }
    if (!form)
        return false;
    // A file load waits for nothing: while the window works on the instrument it takes none.
    if (form->isWorking()) {
        main.prompts().message(SnapshotOpening::busyText(kind), {}, Prompts::Icon::Information);
        return false;
    }
    return form->FileLoad(path);
}

} // namespace JournalActions
