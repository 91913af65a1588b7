#pragma once

#include "caldata/TableOperation.h"
#include "session/InstrumentSession.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class GridCellEditor;
class HeadedGridModel;
class Prompts;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

/**
 * @brief What the "Calibration Factors" and "Specifications" windows share: the grid over its
 * model with the floating cell editor, the buttons both have and what they do, the busy state
 * (buttons off, wait cursor) while an operation talks to the instrument, and the rule that a
 * window closed during an operation only hides until the operation stops at its next step, then
 * closes. Each operation's outcome shows in the window's status line, and a save fills the
 * progress bar cell by cell. Closing over unwritten changes asks first.
 */
class TableWindow : public QWidget
{
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString &)>;

    /// True while an operation runs.
    bool isWorking() const { return m_working; }
    /// How the last "Save To ..." went.
    const TableOperation::SaveSummary &lastSave() const { return m_lastSave; }

    void DisableButtons();
    void EnableButtons();

    /// Loads a table file into the grid, every value pending. False (after a message) when the
    /// file could not be read, or while another operation runs.
    bool FileLoad(const QString &filename);

    void Command_LoadAllCalFactors_Click();
    void Command_SaveAll_Click();
    void Command_ClearAll_Click();
    void Command_FileLoad_Click();
    void Command_FileSave_Click();
    void Command_Exit_Click();

protected:
    TableWindow(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent);
    ~TableWindow() override;

    /// Puts `CalGrid` (over the model, no selection colour, the label column and heading row in
    /// twips) into the layout and makes `Text_Edit` its cell editor.
    void buildGrid(QBoxLayout *layout, HeadedGridModel *model, int labelColumnWidthTwips, int headerRowHeightTwips);
    /// Puts the window's status line (`Text_Status`, how the last operation ended) and the
    /// progress bar of a save (`ProgressBar1`) into the layout.
    void buildStatusRow(QBoxLayout *layout);
    /// A button named as the window's code knows it, running `handler` when clicked.
    QPushButton *makeButton(QPushButton *&control, const char *name, const QString &caption,
                            const std::function<void()> &handler);

    /// The buttons that start an operation, switched off while one runs.
    virtual QList<QPushButton *> operationButtons() const = 0;
    /// The window's table, whose unwritten changes are asked about before the window closes.
    virtual const CellTable &cellTable() const = 0;
    /// Called when an operation has ended and the window still exists, before a requested close.
    virtual void operationEnded() {}

    /// Runs body on the window's operations unless another operation runs; false when it did
    /// not run. A window builds its operations with runOn.
    virtual bool run(const std::function<void(TableOperation &)> &body) = 0;

    /// Runs body on Operations over the window's table: not while another operation runs; a
    /// value still in the editor goes to the grid first; the hooks report to the status sink,
    /// switch the busy state, repaint, and stop the operation once the window is gone or the user
    /// closed it; addHooks adds the window's own. The window may be destroyed while the body
    /// waits for the instrument: nothing here touches it then, and the table stays alive for the
    /// operation. False when it did not run.
    template <typename Operations, typename Table>
    bool runOn(const std::shared_ptr<Table> &table, const std::function<void(TableOperation::Hooks &)> &addHooks,
               const std::function<void(TableOperation &)> &body)
    {
        if (!m_session.dvm())
            return false;
        return runOperation([&] {
            const std::shared_ptr<Table> keep = table;
            TableOperation::Hooks hooks = windowHooks();
            if (addHooks)
                addHooks(hooks);
            Operations operations(*keep, m_session.channel(), m_prompts, hooks);
            body(operations);
        });
    }

    /// Asks whether an operation may go on: false once the window is gone or the user closed it.
    std::function<bool()> mayGoOnHook();

    void closeEvent(QCloseEvent *event) override;

    QTableView *CalGrid = nullptr;
    QLineEdit *Text_Edit = nullptr;
    QLabel *Text_Status = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    GridCellEditor *m_editor = nullptr;

private:
    TableOperation::Hooks windowHooks();
    bool runOperation(const std::function<void()> &body);
    void setBusy(bool on);

    InstrumentSession &m_session;
    Prompts &m_prompts;
    StatusSink m_status;
    TableOperation::SaveSummary m_lastSave;
    bool m_working = false;
    bool m_busy = false;
    bool m_exitRequested = false;
};
