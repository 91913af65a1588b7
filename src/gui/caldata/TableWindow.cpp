#include "gui/caldata/TableWindow.h"

#include "caldata/PromptedChangeRecording.h"
#include "caldata/UnwrittenChanges.h"
#include "gui/caldata/CurrentCellDelegate.h"
#include "gui/caldata/GridCellEditor.h"
#include "gui/caldata/HeadedGridModel.h"
#include "gui/common/Named.h"
#include "gui/common/OnWindowThread.h"
#include "gui/common/WindowOperations.h"
#include "instrument/IDVM.h"
#include "platform/Settings.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

namespace {

// The grid's sizes are given in twips; a pixel is 15 of them on a 96 dpi screen.
constexpr int kTwipsPerPixel = 15;

} // namespace

TableWindow::TableWindow(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent)
    : QWidget(parent, Qt::Window), m_session(session), m_prompts(prompts), m_status(std::move(status))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_operations = new WindowOperations(*this, session.operations(), prompts);
    // A window whose operation waits behind another window's says so until its turn comes.
    connect(m_operations, &WindowOperations::waiting, this,
            [this](const QString &text) { Text_Status->setText(text); });
    connect(m_operations, &WindowOperations::started, this, [this] {
        if (Text_Status->text() == m_operations->lastWaitingText())
            Text_Status->clear();
    });
    OperationQueue &queue = session.operations();
    connect(&queue, &OperationQueue::progress, this, &TableWindow::showProgress);
    connect(&queue, &OperationQueue::finished, this, &TableWindow::operationFinished);
    connect(&queue, &OperationQueue::statusReported, this, [this](QObject *owner, const QString &text) {
        if (owner == this && m_status)
            m_status(text);
    });
}

TableWindow::~TableWindow()
{
    // The editor's event filter goes first: the children are destroyed after this, the grid before
    // the editor, and the editor's last focus events must not reach a half-destroyed grid. (The
    // table, a member of the window, is already gone; the grid model holds it by QPointer.)
    delete m_editor;
    m_editor = nullptr;
}

QString TableWindow::captionOf(const char *button) const
{
    const auto *found = findChild<QPushButton *>(QLatin1String(button));
    return found ? found->text() : QString();
}

void TableWindow::buildGrid(QBoxLayout *layout, HeadedGridModel *model, int labelColumnWidthTwips,
                            int headerRowHeightTwips)
{
    CalGrid = named(new QTableView(this), "CalGrid");
    // Named after the window ("Calibration Factors table"), whose title is set before the grid.
    CalGrid->setAccessibleName(windowTitle() + QStringLiteral(" table"));
    CalGrid->setModel(model);
    CalGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No selection colour over the cells: their own colours tell pending, written and refused.
    CalGrid->setSelectionMode(QAbstractItemView::NoSelection);
    CalGrid->setItemDelegate(new CurrentCellDelegate(CalGrid));
    CalGrid->verticalHeader()->setFixedWidth(labelColumnWidthTwips / kTwipsPerPixel);
    CalGrid->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CalGrid->horizontalHeader()->setFixedHeight(headerRowHeightTwips / kTwipsPerPixel);
    layout->addWidget(CalGrid, 1);

    Text_Edit = named(new QLineEdit(this), "Text_Edit");
    Text_Edit->setAccessibleName(QStringLiteral("Cell being edited"));
    m_editor = new GridCellEditor(
        CalGrid, Text_Edit, [model](const QModelIndex &cell, const QString &text) { model->commit(cell, text); }, this);
}

void TableWindow::buildStatusRow(QBoxLayout *layout)
{
    Text_Status = named(new QLabel(this), "Text_Status");
    Text_Status->setWordWrap(true);
    Text_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Text_Status);
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);
}

QPushButton *TableWindow::makeButton(QPushButton *&control, const char *name, const QString &caption,
                                     const std::function<void()> &handler)
{
    control = named(new QPushButton(caption, this), name);
    control->setAutoDefault(false);
    connect(control, &QPushButton::clicked, this, handler);
    return control;
}

void TableWindow::DisableButtons()
{
    for (QPushButton *button : operationButtons())
        button->setEnabled(false);
}

void TableWindow::EnableButtons()
{
    for (QPushButton *button : operationButtons())
        button->setEnabled(true);
}

bool TableWindow::isWorking() const
{
    return m_operations->isRunning();
}

TableOperation::Hooks TableWindow::controlHooks(TableOperation::Hooks hooks, OperationControl &control,
                                                int readingLength, int pendingCells,
                                                const std::shared_ptr<QString> &outcome)
{
    hooks.status = [&control](const QString &text) { control.reportStatus(text); };
    hooks.outcome = [outcome](const QString &text) { *outcome = text; };
    hooks.rangeRead = [&control, total = readingLength](int range, const QString &) {
        if (total > 0)
            control.reportProgress(range, total);
        return !control.stopRequested();
    };
    // The bar and the question before a stop count the cells dealt with; the count is taken once
    // the editor's value is in the grid.
    auto written = std::make_shared<int>(0);
    hooks.cellWritten = [&control, pendingCells, written](const TableOperation::CellWrite &) {
        *written = qMin(pendingCells, *written + 1);
        control.reportProgress(*written, pendingCells);
        return !control.stopRequested();
    };
    return hooks;
}

TableOperation::Hooks TableWindow::ownHooks()
{
    TableOperation::Hooks hooks;
    addWindowHooks(hooks);
    return hooks;
}

bool TableWindow::runOnInstrument(const QString &name, OperationQueue::Effect effect,
                                  std::function<void(TableOperation &)> body, std::function<void()> after)
{
    if (!m_session.dvm() || isWorking())
        return false;
    m_editor->close(true);
    const int pendingCells = cellTable().pendingCount();
    auto outcome = std::make_shared<QString>();
    // The hooks are made by the window, here, before the work is queued: the work itself holds
    // the operations (and through them the table), never the window.
    OperationsFactory make = operations();
    auto hooksFor = [own = ownHooks(), total = readingLength(), pendingCells, outcome](OperationControl &control) {
        return controlHooks(own, control, total, pendingCells, outcome);
    };
    OperationQueue::Request request;
    request.name = name;
    request.effect = effect;
    request.unit = effect == OperationQueue::Effect::Writes ? cellsName() : QString();
    request.work = [make, hooksFor, body = std::move(body)](OperationControl &control) {
        body(*make(hooksFor(control)));
    };
    request.done = [this, outcome, after = std::move(after)] {
        Text_Status->setText(*outcome);
        if (after)
            after();
    };
    DisableButtons();
    ProgressBar1->setValue(0);
    QPointer<TableWindow> self(this);
    const bool queued = m_operations->run(std::move(request));
    if (self && !isWorking())
        EnableButtons();
    return queued;
}

bool TableWindow::runOffline(const std::function<void(TableOperation &)> &body)
{
    if (isWorking())
        return false;
    m_editor->close(true);
    TableOperation::Hooks hooks;
    hooks.status = m_status;
    hooks.outcome = [this](const QString &text) { Text_Status->setText(text); };
    body(*operations()(std::move(hooks)));
    return true;
}

TableWindow::SaveJob TableWindow::saveWithin()
{
    m_editor->close(true);
    DisableButtons();
    auto finish = onWindowThread(this,
                                 std::function<void(TableOperation::SaveSummary, QString)>(
                                     [this](TableOperation::SaveSummary summary, QString outcome) {
                                         EnableButtons();
                                         Text_Status->setText(outcome);
                                         m_lastSave = summary;
                                     }));
    auto recording = std::make_shared<PromptedChangeRecording>(
        QStringLiteral("Quick Setup"), tableKind(), m_session.channel(), m_session.connectionWords(), m_prompts);
    recording->setFile(m_origin.file);
    return [make = operations(), own = ownHooks(), total = readingLength(), pending = cellTable().pendingCount(),
            finish, recording](OperationControl &control) {
        auto outcome = std::make_shared<QString>();
        const std::shared_ptr<TableOperation> ops = make(controlHooks(own, control, total, pending, outcome));
        TableOperation::SaveSummary summary;
        ops->setVerifyWrites(verifyWrites());
        if (recording->beforeSave(*ops, outcome.get())) {
            summary = ops->save();
            recording->finish(TableChangeRecorder::outcomeOf(summary));
        } else {
            summary.outcome = TableOperation::Outcome::Cancelled;
        }
        finish(summary, *outcome);
        return summary;
    };
}

void TableWindow::showProgress(QObject *owner, int done, int total)
{
    if (owner != this)
        return;
    ProgressBar1->setRange(0, qMax(1, total));
    ProgressBar1->setValue(qBound(0, done, total));
}

void TableWindow::operationFinished(QObject *owner)
{
    if (owner != this || isWorking())
        return;
    ProgressBar1->setValue(0);
    EnableButtons();
}

bool TableWindow::FileLoad(const QString &filename)
{
    bool loaded = false;
    runOffline([&](TableOperation &ops) {
        loaded = ops.fileLoad(filename) == TableOperation::Outcome::Done;
        if (loaded)
            m_origin = {std::nullopt, QString(), ops.lastFile()};
    });
    return loaded;
}

bool TableWindow::verifyWrites()
{
    return Settings::value(SettingsKey::VerifyWrites).trimmed() != QLatin1String("0");
}

void TableWindow::Command_LoadAllCalFactors_Click()
{
    // Who answered is asked once the table has come whole, so a "Save to File" of it can say
    // which unit the file belongs to.
    auto who = std::make_shared<std::optional<InstrumentIdentity>>();
    InstrumentChannel *channel = &m_session.channel();
    runOnInstrument(
        captionOf("Command_LoadAllCalFactors"), OperationQueue::Effect::Reads,
        [who, channel](TableOperation &ops) {
            if (ops.load() == TableOperation::Outcome::Done)
                *who = TableChangeRecorder::identityOf(*channel);
        },
        [this, who, connection = m_session.connectionWords()] {
            m_origin = {*who, connection, std::nullopt};
        });
}

void TableWindow::Command_SaveAll_Click()
{
    auto summary = std::make_shared<TableOperation::SaveSummary>();
    summary->outcome = TableOperation::Outcome::Stopped; // in case it never starts
    const QString name = captionOf("Command_SaveAll");
    auto recording = std::make_shared<PromptedChangeRecording>(name, tableKind(), m_session.channel(),
                                                               m_session.connectionWords(), m_prompts);
    recording->setFile(m_origin.file);
    runOnInstrument(
        name, OperationQueue::Effect::Writes,
        [summary, recording](TableOperation &ops) {
            recording->setWarningSink(ops.hooks().status);
            ops.setVerifyWrites(verifyWrites());
            QString refusal;
            if (!recording->beforeSave(ops, &refusal)) {
                summary->outcome = TableOperation::Outcome::Cancelled;
                if (ops.hooks().outcome)
                    ops.hooks().outcome(refusal);
                return;
            }
            *summary = ops.save();
            recording->finish(TableChangeRecorder::outcomeOf(*summary));
        },
        [this, summary] { m_lastSave = *summary; });
}

void TableWindow::Command_ClearAll_Click()
{
    runCommand(captionOf("Command_ClearAll"), clearCommand());
}

bool TableWindow::runCommand(const QString &name, const TableOperation::Command &command)
{
    if (!m_session.dvm() || isWorking())
        return false;
    // Asked now, before the operation waits its turn: the question never comes up in the middle
    // of another window's work, and "No" queues nothing.
    if (!TableOperation::confirm(m_prompts, command)) {
        Text_Status->setText(TableOperation::cancelledText(command));
        return false;
    }
    // What the command replaces is kept first, read beside the grid, so the snapshot never costs
    // the engineer's unwritten changes.
    auto recording = std::make_shared<PromptedChangeRecording>(name, tableKind(), m_session.channel(),
                                                               m_session.connectionWords(), m_prompts);
    auto who = std::make_shared<std::optional<InstrumentIdentity>>();
    return runOnInstrument(
        name, OperationQueue::Effect::Writes,
        [command, recording, who](TableOperation &ops) {
            QString refusal;
            if (!recording->beforeCommand(ops, &refusal)) {
                if (ops.hooks().outcome)
                    ops.hooks().outcome(refusal);
                return;
            }
            const TableOperation::Outcome outcome = ops.runConfirmed(command, true);
            recording->finish(TableChangeRecorder::outcomeOf(outcome));
            if (outcome == TableOperation::Outcome::Done)
                *who = recording->instrument();
        },
        [this, who, connection = m_session.connectionWords()] {
            if (*who)
                m_origin = {*who, connection, std::nullopt};
        });
}

void TableWindow::Command_FileLoad_Click()
{
    runOffline([this](TableOperation &ops) {
        if (ops.loadFromFile() == TableOperation::Outcome::Done)
            m_origin = {std::nullopt, QString(), ops.lastFile()};
    });
}

void TableWindow::Command_FileSave_Click()
{
    runOffline([this](TableOperation &ops) {
        if (ops.saveToFile() != TableOperation::Outcome::Done || !ops.lastFile())
            return;
        // The file holds what the instrument gave, untouched: its record names the unit, so the
        // file is known for that unit's when it is written back.
        if (!m_origin.instrument || cellTable().pendingCount() > 0)
            return;
        QString error;
        if (!TableChangeRecorder::recordRead(captionOf("Command_FileSave"), *m_origin.instrument, m_origin.connection,
                                             *ops.lastFile(), &error)) {
            m_prompts.message(QStringLiteral("The file was saved, but the change journal could not note where it "
                                             "came from: %1")
                                  .arg(error),
                              captionOf("Command_FileSave"), Prompts::Icon::Warning);
        }
    });
}

void TableWindow::Command_FileCompare_Click()
{
    if (isWorking())
        return;
    // A value still in the editor is part of what the grid holds.
    m_editor->close(true);
    const QString path = m_prompts.openFileName(TableComparison::dialogTitle(), comparison().fileFilter());
    if (path.isEmpty()) {
        Text_Status->setText(TableComparison::cancelledText());
        return;
    }
    FileCompare(path);
}

bool TableWindow::FileCompare(const QString &filename)
{
    // An operation may be filling the grid: what it holds is not yet worth comparing.
    if (isWorking())
        return false;
    m_editor->close(true);
    const TableComparison::Result result = comparison().compareWith(filename, m_prompts);
    Text_Status->setText(result.report);
    return result.outcome == OperationOutcome::Done;
}

void TableWindow::Command_Exit_Click()
{
    close();
}

void TableWindow::closeEvent(QCloseEvent *event)
{
    // A running operation is stopped first (after asking, when it writes); the window comes back
    // here once it has ended, and what it left unwritten is asked about then.
    if (!m_operations->mayClose()) {
        event->ignore();
        return;
    }
    m_editor->close(true);
    if (!UnwrittenChanges::mayClose(cellTable(), m_prompts, windowTitle())) {
        event->ignore();
        return;
    }
    event->accept();
}
