#pragma once

#include "gui/caldata/TableWindow.h"

#include <memory>

class CalFactorTable;
class QPushButton;

/**
 * @brief The "Calibration Factors" window: the instrument's calibration factors in a grid, one
 * row per range and one column per factor, edited in place, written back, backed up, restored,
 * cleared, saved to and loaded from ".cal" files, and compared with one.
 *
 * The work itself is CalFactorOperations on a CalFactorTable; this window holds the controls,
 * the progress bar and the backup and restore buttons, TableWindow the grid, its editor, the
 * buttons both table windows have and how their operations run. Results of backup, restore and clear go
 * to the status sink (the main window's status box) as well as to the window's status line.
 */
class FormCalFactors : public TableWindow
{
    Q_OBJECT
public:
    FormCalFactors(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent = nullptr);

    CalFactorTable &table() { return *m_table; }

    void Command_Backup_Click();
    void Command_Restore_Click();

protected:
    QList<QPushButton *> operationButtons() const override;
    const CellTable &cellTable() const override;
    TableComparison comparison() override;
    OperationsFactory operations() override;
    int readingLength() const override;
    QString cellsName() const override;
    TableKind tableKind() const override { return TableKind::Factors; }
    TableOperation::Command clearCommand() const override;

private:
    void buildControls();

    // Shared with a running operation, which keeps the grid alive should the window be destroyed
    // while it waits for the instrument.
    std::shared_ptr<CalFactorTable> m_table;

    QPushButton *Command_LoadAllCalFactors = nullptr;
    QPushButton *Command_SaveAll = nullptr;
    QPushButton *Command_ClearAll = nullptr;
    QPushButton *Command_FileLoad = nullptr;
    QPushButton *Command_FileCompare = nullptr;
    QPushButton *Command_FileSave = nullptr;
    QPushButton *Command_Backup = nullptr;
    QPushButton *Command_Restore = nullptr;
    QPushButton *Command_Exit = nullptr;
};
