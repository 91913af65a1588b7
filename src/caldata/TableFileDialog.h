#pragma once

#include "caldata/FileText.h"
#include "caldata/OperationOutcome.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"

/**
 * @brief "Save to File" of a table window, for either file format (`File` is CalFile or
 * SpecFile): the save dialog with today's default name, then the save through a temporary file.
 * A cancelled dialog or a failed save says "Backup not saved"; a table the format cannot hold is
 * refused before a name is asked, with the cell named.
 */
namespace TableFileDialog {

template <typename File, typename Table>
OperationOutcome save(const Table &table, Prompts &prompts)
{
    const QString notSaved = QStringLiteral("Backup not saved");
    QString uncarried;
    if (!FileText::carriesEveryCell(table, &uncarried)) {
        prompts.critical(notSaved + QStringLiteral("\n\n") + uncarried);
        return OperationOutcome::Failed;
    }
    const QString suggested = File::defaultFileName(systemClock().currentDateTime().date());
    const QString path =
        prompts.saveFileName(QStringLiteral("Save to File"), File::fileFilter(), suggested, File::defaultSuffix());
    if (path.isEmpty()) {
        prompts.critical(notSaved);
        return OperationOutcome::Cancelled;
    }
    if (!File::save(table, path)) {
        prompts.critical(notSaved);
        return OperationOutcome::Failed;
    }
    return OperationOutcome::Done;
}

} // namespace TableFileDialog
