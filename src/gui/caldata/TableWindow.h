#pragma once

#include <QList>
#include <QWidget>
#include <functional>

class GridCellEditor;
class HeadedGridModel;
class QBoxLayout;
class QLineEdit;
class QPushButton;
class QTableView;

/**
 * @brief What the "Calibration Factors" and "Specifications" windows share: the grid over its
 * model with the floating cell editor, the busy state (buttons off, wait cursor) while an
 * operation talks to the instrument, and the rule that a window closed during an operation only
 * hides until the operation stops at its next step, then closes.
 */
class TableWindow : public QWidget
{
    Q_OBJECT
public:
    /// True while an operation runs.
    bool isWorking() const { return m_working; }

    void DisableButtons();
    void EnableButtons();

protected:
    explicit TableWindow(QWidget *parent);
    ~TableWindow() override;

    /// Puts `CalGrid` (over the model, no selection colour, the label column and heading row in
    /// twips) into the layout and makes `Text_Edit` its cell editor.
    void buildGrid(QBoxLayout *layout, HeadedGridModel *model, int labelColumnWidthTwips, int headerRowHeightTwips);

    /// The buttons that start an operation, switched off while one runs.
    virtual QList<QPushButton *> operationButtons() const = 0;
    /// Called when an operation has ended and the window still exists, before a requested close.
    virtual void operationEnded() {}

    /// Hooks for an operation: switching the busy state, and asking whether it may go on (false
    /// once the window is gone or the user closed it).
    std::function<void(bool)> busyHook();
    std::function<bool()> mayGoOnHook();

    /// Runs one operation: not while another runs; a value still in the editor goes to the grid
    /// first; a close asked for meanwhile is carried out afterwards. The window may be destroyed
    /// while the body waits for the instrument: nothing here touches it then. False when it did
    /// not run.
    bool runOperation(const std::function<void()> &body);

    void closeEvent(QCloseEvent *event) override;

    QTableView *CalGrid = nullptr;
    QLineEdit *Text_Edit = nullptr;
    GridCellEditor *m_editor = nullptr;

private:
    void setBusy(bool on);

    bool m_working = false;
    bool m_busy = false;
    bool m_exitRequested = false;
};
