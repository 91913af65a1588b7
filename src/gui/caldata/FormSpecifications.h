#pragma once

#include "caldata/SpecTable.h"
#include "gui/caldata/TableWindow.h"

#include <QPointer>

#include <memory>

class FormProgress;
class QLineEdit;
class QPushButton;

/**
 * @brief The "Specifications" window: the instrument's specification table in a grid, one row
 * per range and a pair of figures per frequency band, edited in place, written back with its
 * version record, cleared, saved to and loaded from ".spec" files, and compared with one.
 *
 * The work itself is SpecOperations on a SpecTable; this window holds the controls, the version
 * box and the download progress window, TableWindow the grid, its editor (here selecting the
 * cell's whole text when it opens on the cell's text), the buttons both table windows have and
 * the busy state. The result of "Clear Meter" goes to the status sink (the main window's status
 * box). The setup sequence drives it through FileLoad and Command_SaveAll_Click.
 */
class FormSpecifications : public TableWindow
{
    Q_OBJECT
public:
    FormSpecifications(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent = nullptr);
    ~FormSpecifications() override;

    SpecTable &table() { return *m_table; }

    /// What opening the window does once it is shown: the empty grid, then (unless the caller
    /// fills it from a file at once) the table read from the instrument and an empty version.
    void Form_Load(bool readInstrument = true);
    /// The empty grid: headings and one empty row.
    void InitCalGrid();

protected:
    QList<QPushButton *> operationButtons() const override;
    const CellTable &cellTable() const override { return *m_table; }
    TableComparison comparison() override { return {*m_table, TableComparison::figures()}; }
    OperationsFactory operations() override;
    QString cellsName() const override;
    TableKind tableKind() const override { return TableKind::Specifications; }
    TableOperation::Command clearCommand() const override;
    void addWindowHooks(TableOperation::Hooks &hooks) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void showProgress(int expectedLines);
    void hideProgress();

    // Shared with a running operation, which keeps the grid alive should the window be destroyed
    // while it waits for the instrument.
    std::shared_ptr<SpecTable> m_table;
    QPointer<FormProgress> m_progress;

    QLineEdit *Text_Version = nullptr;
    QPushButton *Command_LoadAllCalFactors = nullptr;
    QPushButton *Command_SaveAll = nullptr;
    QPushButton *Command_ClearAll = nullptr;
    QPushButton *Command_FileLoad = nullptr;
    QPushButton *Command_FileCompare = nullptr;
    QPushButton *Command_FileSave = nullptr;
    QPushButton *Command_Exit = nullptr;
};
