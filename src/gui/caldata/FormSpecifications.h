#pragma once

#include "caldata/SpecOperations.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class FormProgress;
class GridCellEditor;
class InstrumentContext;
class Prompts;
class QLineEdit;
class QPushButton;
class QTableView;
class SpecGridModel;
class SpecTable;

/**
 * @brief The "Specifications" window: the instrument's specification table in a grid, one row
 * per range and a pair of figures per frequency band, edited in place, written back with its
 * version record, cleared, and saved to and loaded from ".spec" files.
 *
 * The work itself is SpecOperations on a SpecTable; this window holds the controls, the in-place
 * editor (which selects the cell's whole text when it opens on the cell's text) and the wiring.
 * The result of "Clear Meter" goes to the status sink (the main window's status box). The
 * setup sequence drives it through FileLoad and Command_SaveAll_Click.
 */
class FormSpecifications : public QWidget
{
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString &)>;

    FormSpecifications(InstrumentContext &context, Prompts &prompts, StatusSink status, QWidget *parent = nullptr);
    ~FormSpecifications() override;

    SpecTable &table() { return *m_table; }
    /// True while an operation runs.
    bool isWorking() const { return m_working; }
    /// How the last "Save To Meter" went.
    const SpecOperations::SaveSummary &lastSave() const { return m_lastSave; }

    /// What opening the window does once it is shown: the empty grid, the table read from the
    /// instrument, an empty version.
    void Form_Load();
    /// The empty grid: headings and one empty row.
    void InitCalGrid();
    /// Loads a ".spec" file into the grid, every figure pending. False (after a message) when
    /// the file could not be read, or while another operation runs.
    bool FileLoad(const QString &filename);

    void Command_LoadAllCalFactors_Click();
    void Command_SaveAll_Click();
    void Command_ClearAll_Click();
    void Command_FileLoad_Click();
    void Command_FileSave_Click();
    void Command_Exit_Click();

    void DisableButtons();
    void EnableButtons();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    /// Runs body on the operations unless another operation runs; false when it did not run.
    bool runOperation(const std::function<void(SpecOperations &)> &body);
    void setBusy(bool on);
    void showProgress(int expectedLines);
    void hideProgress();

    InstrumentContext &m_context;
    Prompts &m_prompts;
    StatusSink m_status;
    // Shared with a running operation, which keeps the grid alive should the window be destroyed
    // while it waits for the instrument.
    std::shared_ptr<SpecTable> m_table;
    SpecGridModel *m_model = nullptr;
    GridCellEditor *m_editor = nullptr;
    QPointer<FormProgress> m_progress;
    SpecOperations::SaveSummary m_lastSave;
    bool m_working = false;
    bool m_busy = false;
    bool m_exitRequested = false;

    QTableView *CalGrid = nullptr;
    QLineEdit *Text_Edit = nullptr;
    QLineEdit *Text_Version = nullptr;
    QPushButton *Command_LoadAllCalFactors = nullptr;
    QPushButton *Command_SaveAll = nullptr;
    QPushButton *Command_ClearAll = nullptr;
    QPushButton *Command_FileLoad = nullptr;
    QPushButton *Command_FileSave = nullptr;
    QPushButton *Command_Exit = nullptr;
};
