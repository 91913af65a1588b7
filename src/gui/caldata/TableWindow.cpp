#include "gui/caldata/TableWindow.h"

#include "caldata/UnwrittenChanges.h"
#include "gui/caldata/CurrentCellDelegate.h"
#include "gui/caldata/GridCellEditor.h"
#include "gui/caldata/HeadedGridModel.h"
#include "gui/common/Named.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
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
}

TableWindow::~TableWindow()
{
    // The editor's event filter goes first: the children are destroyed after this, the grid before
    // the editor, and the editor's last focus events must not reach a half-destroyed grid. (The
    // table, a member of the window, is already gone; the grid model holds it by QPointer.)
    delete m_editor;
    m_editor = nullptr;
    if (m_busy)
        QApplication::restoreOverrideCursor();
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

void TableWindow::setBusy(bool on)
{
    if (on == m_busy)
        return;
    m_busy = on;
    if (on) {
        DisableButtons();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
        EnableButtons();
    }
}

TableOperation::Hooks TableWindow::windowHooks()
{
    QPointer<TableWindow> self(this);
    const std::function<bool()> mayGoOn = mayGoOnHook();
    TableOperation::Hooks hooks;
    hooks.status = m_status;
    hooks.busy = [self](bool on) {
        if (self)
            self->setBusy(on);
    };
    hooks.progress = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    hooks.rangeRead = [mayGoOn](int, const QString &) { return mayGoOn(); };
    // The bar follows the cells written; counted once the editor's value is in the grid. It is
    // left alone once the window is gone, when the hook only asks the save to stop.
    const int pending = cellTable().pendingCount();
    ProgressBar1->setValue(0);
    hooks.cellWritten = [self, mayGoOn, pending](const TableOperation::CellWrite &) {
        if (!mayGoOn())
            return false;
        self->ProgressBar1->setRange(0, qMax(1, pending));
        self->ProgressBar1->setValue(qMin(pending, self->ProgressBar1->value() + 1));
        return true;
    };
    hooks.outcome = [self](const QString &text) {
        if (self)
            self->Text_Status->setText(text);
    };
    return hooks;
}

std::function<bool()> TableWindow::mayGoOnHook()
{
    QPointer<TableWindow> self(this);
    return [self] { return self && !self->m_exitRequested; };
}

bool TableWindow::runOperation(const std::function<void()> &body)
{
    if (m_working)
        return false;
    m_editor->close(true);
    QPointer<TableWindow> self(this);
    m_working = true;
    body();
    if (!self)
        return true;
    m_working = false;
    ProgressBar1->setValue(0);
    operationEnded();
    if (m_exitRequested)
        close();
    return true;
}

bool TableWindow::FileLoad(const QString &filename)
{
    bool loaded = false;
    run([&](TableOperation &ops) { loaded = ops.fileLoad(filename) == TableOperation::Outcome::Done; });
    return loaded;
}

void TableWindow::Command_LoadAllCalFactors_Click()
{
    run([](TableOperation &ops) { ops.load(); });
}

void TableWindow::Command_SaveAll_Click()
{
    // A save that could not start (another operation runs) counts as stopped.
    TableOperation::SaveSummary summary;
    summary.outcome = TableOperation::Outcome::Stopped;
    QPointer<TableWindow> self(this);
    run([&summary](TableOperation &ops) { summary = ops.save(); });
    if (self)
        m_lastSave = summary;
}

void TableWindow::Command_ClearAll_Click()
{
    run([](TableOperation &ops) { ops.clear(); });
}

void TableWindow::Command_FileLoad_Click()
{
    run([](TableOperation &ops) { ops.loadFromFile(); });
}

void TableWindow::Command_FileSave_Click()
{
    run([](TableOperation &ops) { ops.saveToFile(); });
}

void TableWindow::Command_Exit_Click()
{
    close();
}

void TableWindow::closeEvent(QCloseEvent *event)
{
    // Asked once: a close requested during an operation was answered when it was requested.
    if (!m_exitRequested) {
        if (!m_working)
            m_editor->close(true);
        if (!UnwrittenChanges::mayClose(cellTable(), m_prompts, windowTitle())) {
            event->ignore();
            return;
        }
    }
    if (m_working) {
        // The running operation stops at its next step and closes the window then; until then
        // the window only disappears.
        m_exitRequested = true;
        hide();
        event->ignore();
        return;
    }
    event->accept();
}
