#pragma once

#include "caldata/TableComparison.h"
#include "caldata/TableOperation.h"
#include "records/JournalRecord.h"
#include "session/InstrumentSession.h"
#include "session/OperationQueue.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class GridCellEditor;
class HeadedGridModel;
class Prompts;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class WindowOperations;

/**
 * @brief What the "Calibration Factors" and "Specifications" windows share: the grid over its
 * model with the floating cell editor, the buttons both have and what they do, and how their
 * instrument work runs.
 *
 * A reading, a save, a clear, a backup or a restore is an operation on the session's queue: it
 * waits its turn behind another window's, the window's buttons are off until it has ended, its
 * progress fills the bar, and its outcome shows in the window's status line. A close during one
 * asks first when it writes ("Stop ...? N of M ... are not written yet"), stops it at its next
 * exchange (setup mode is left on every way out), and the window closes once it has ended; what
 * was not written stays pending and the close then asks about it like any unwritten change.
 * Loading and saving files touches no instrument and runs at once, and so does comparing the grid
 * with a file ("Compare with File..."), which changes nothing in the grid but the marks on the
 * cells that differ.
 */
class TableWindow : public QWidget
{
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString &)>;

    ~TableWindow() override;

    /// True while an operation of the window runs or waits its turn.
    bool isWorking() const;
    /// How the last "Save To ..." went.
    const TableOperation::SaveSummary &lastSave() const { return m_lastSave; }

    void DisableButtons();
    void EnableButtons();

    /// Loads a table file into the grid, every value pending. False (after a message) when the
    /// file could not be read, or while an operation of the window runs.
    bool FileLoad(const QString &filename);
    /// A save of the pending cells as part of an operation that already runs (Quick Setup writes
    /// the specifications it loaded this way). Made on the windows' thread (the window's buttons
    /// go off), run by the operation on its own; the window shows the outcome if it still exists.
    /// The save holds the table, not the window, which may close meanwhile.
    using SaveJob = std::function<TableOperation::SaveSummary(OperationControl &)>;
    SaveJob saveWithin();
    /// Compares the grid with a table file and marks the cells that differ, the count in the
    /// status line. False (after a message) when the file could not be read, or while an
    /// operation of the window runs.
    bool FileCompare(const QString &filename);

    void Command_LoadAllCalFactors_Click();
    void Command_SaveAll_Click();
    void Command_ClearAll_Click();
    void Command_FileLoad_Click();
    void Command_FileSave_Click();
    void Command_FileCompare_Click();
    void Command_Exit_Click();

protected:
    TableWindow(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent);

    /// Puts `CalGrid` (over the model, no selection colour, the label column and heading row in
    /// twips) into the layout and makes `Text_Edit` its cell editor.
    void buildGrid(QBoxLayout *layout, HeadedGridModel *model, int labelColumnWidthTwips, int headerRowHeightTwips);
    /// Puts the window's status line (`Text_Status`, how the last operation ended) and the
    /// progress bar (`ProgressBar1`: the ranges read, the cells written) into the layout.
    void buildStatusRow(QBoxLayout *layout);
    /// A button named as the window's code knows it, running `handler` when clicked.
    QPushButton *makeButton(QPushButton *&control, const char *name, const QString &caption,
                            const std::function<void()> &handler);

    /// Makes the operations over the window's table with the given hooks. What is made holds the
    /// table, so a running operation keeps it alive.
    using OperationsFactory = std::function<std::shared_ptr<TableOperation>(TableOperation::Hooks)>;
    template <typename Operations, typename Table>
    OperationsFactory operationsOver(const std::shared_ptr<Table> &table)
    {
        struct Held
        {
            Held(std::shared_ptr<Table> t, InstrumentChannel &channel, Prompts &prompts, TableOperation::Hooks hooks)
                : table(std::move(t)), operations(*table, channel, prompts, std::move(hooks))
            {
            }
            std::shared_ptr<Table> table;
            Operations operations;
        };
        InstrumentChannel *channel = &m_session.channel();
        Prompts *prompts = &m_prompts;
        return [table, channel, prompts](TableOperation::Hooks hooks) -> std::shared_ptr<TableOperation> {
            auto held = std::make_shared<Held>(table, *channel, *prompts, std::move(hooks));
            return std::shared_ptr<TableOperation>(held, &held->operations);
        };
    }

    /// The window's operations over its table.
    virtual OperationsFactory operations() = 0;
    /// Hooks of the window's own added to every operation's (the specifications' download window).
    virtual void addWindowHooks(TableOperation::Hooks &) {}
    /// How many exchanges a reading takes, for the progress bar; 0 when the bar does not follow it.
    virtual int readingLength() const { return 0; }
    /// What the table's cells hold, in the plural ("factors"), for the question before a stop.
    virtual QString cellsName() const = 0;
    /// The buttons that start an operation, switched off while one runs.
    virtual QList<QPushButton *> operationButtons() const = 0;
    /// The window's table, whose unwritten changes are asked about before the window closes.
    virtual const CellTable &cellTable() const = 0;
    /// "Compare with File..." over the window's table and its kind of file.
    virtual TableComparison comparison() = 0;

    /// Runs body on the window's operations through the queue, named for the questions and the
    /// waiting; after runs once it has ended, if the window still exists. False when it could
    /// not be queued (no instrument, an operation of the window already there).
    bool runOnInstrument(const QString &name, OperationQueue::Effect effect, std::function<void(TableOperation &)> body,
                         std::function<void()> after = {});
    /// One instrument command in setup mode (clear, backup, restore), its question asked first,
    /// then the table read again; false when it was not queued.
    bool runCommand(const QString &name, const TableOperation::Command &command);
    /// The table's "Clear Meter" command.
    virtual TableOperation::Command clearCommand() const = 0;
    /// Which of the instrument's tables the window shows, for the change journal.
    virtual TableKind tableKind() const = 0;

    /// The caption of one of the window's buttons, which names the operation it starts.
    QString captionOf(const char *button) const;

    void closeEvent(QCloseEvent *event) override;

    QTableView *CalGrid = nullptr;
    QLineEdit *Text_Edit = nullptr;
    QLabel *Text_Status = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    GridCellEditor *m_editor = nullptr;

private:
    /// The window's own hooks with those that report to the running operation's control added:
    /// progress, stop requests, the main window's status box. The outcome text lands in *outcome.
    static TableOperation::Hooks controlHooks(TableOperation::Hooks hooks, OperationControl &control, int readingLength,
                                              int pendingCells, const std::shared_ptr<QString> &outcome);
    /// The hooks of addWindowHooks alone.
    TableOperation::Hooks ownHooks();
    /// Runs body at once, outside the queue (files only).
    bool runOffline(const std::function<void(TableOperation &)> &body);
    void showProgress(QObject *owner, int done, int total);
    void operationFinished(QObject *owner);

    /// Whether a save reads its rows back (the window setting; on unless turned off).
    static bool verifyWrites();

    /// Where the grid's values came from: read from an instrument (who it said it was), or loaded
    /// from a file. A "Save to File" of an unchanged reading is recorded as that instrument's, so
    /// a later save of the file onto another unit is caught; a save of a file's values is checked
    /// against where the file came from.
    struct GridOrigin
    {
        std::optional<InstrumentIdentity> instrument;
        QString connection;
        std::optional<FileReference> file;
    };
    GridOrigin m_origin;

    InstrumentSession &m_session;
    Prompts &m_prompts;
    StatusSink m_status;
    WindowOperations *m_operations = nullptr;
    TableOperation::SaveSummary m_lastSave;
};
