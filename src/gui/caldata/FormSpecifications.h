#pragma once

#include "caldata/SpecOperations.h"

#include "gui/caldata/TableWindow.h"

#include <QPointer>
#include <functional>
#include <memory>

class FormProgress;
class InstrumentSession;
class Prompts;
class QLineEdit;
class QPushButton;
class SpecTable;

/**
 * @brief The "Specifications" window: the instrument's specification table in a grid, one row
 * per range and a pair of figures per frequency band, edited in place, written back with its
 * version record, cleared, and saved to and loaded from ".spec" files.
 *
 * The work itself is SpecOperations on a SpecTable; this window holds the controls and the
 * wiring, TableWindow the grid, its editor (here selecting the cell's whole text when it opens on
 * the cell's text) and the busy state.
 * The result of "Clear Meter" goes to the status sink (the main window's status box). The
 * setup sequence drives it through FileLoad and Command_SaveAll_Click.
 */
class FormSpecifications : public TableWindow
{
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString &)>;

    FormSpecifications(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent = nullptr);
    ~FormSpecifications() override;

    SpecTable &table() { return *m_table; }
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

protected:
    QList<QPushButton *> operationButtons() const override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    /// Runs body on the operations unless another operation runs; false when it did not run.
    bool run(const std::function<void(SpecOperations &)> &body);
    void showProgress(int expectedLines);
    void hideProgress();

    InstrumentSession &m_session;
    Prompts &m_prompts;
    StatusSink m_status;
    // Shared with a running operation, which keeps the grid alive should the window be destroyed
    // while it waits for the instrument.
    std::shared_ptr<SpecTable> m_table;
    QPointer<FormProgress> m_progress;
    SpecOperations::SaveSummary m_lastSave;

    QLineEdit *Text_Version = nullptr;
    QPushButton *Command_LoadAllCalFactors = nullptr;
    QPushButton *Command_SaveAll = nullptr;
    QPushButton *Command_ClearAll = nullptr;
    QPushButton *Command_FileLoad = nullptr;
    QPushButton *Command_FileSave = nullptr;
    QPushButton *Command_Exit = nullptr;
};
