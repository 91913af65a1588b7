#include "gui/caldata/FormCalFactors.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "gui/caldata/CalFactorGridModel.h"
#include "gui/caldata/CurrentCellDelegate.h"
#include "gui/caldata/GridCellEditor.h"
#include "instrument/InstrumentContext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The grid's sizes are given in twips; a pixel is 15 of them on a 96 dpi screen.
constexpr int kTwipsPerPixel = 15;

} // namespace

FormCalFactors::FormCalFactors(InstrumentContext &context, Prompts &prompts, StatusSink status, QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context), m_prompts(prompts), m_status(std::move(status)),
      m_table(std::make_shared<CalFactorTable>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormCalFactors"));
    setWindowTitle(QStringLiteral("Calibration Factors"));
    buildControls();
    // Form_Load: an empty editor and the grid's first shape (71 x 24, from the table).
    Text_Edit->clear();
    resize(1000, 640);
}

FormCalFactors::~FormCalFactors()
{
    // The editor's event filter goes first: the children are destroyed after this, the grid before
    // the editor, and the editor's last focus events must not reach a half-destroyed grid.
    delete m_editor;
    m_editor = nullptr;
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void FormCalFactors::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    CalGrid = new QTableView(this);
    CalGrid->setObjectName(QStringLiteral("CalGrid"));
    m_model = new CalFactorGridModel(m_table.get(), this);
    CalGrid->setModel(m_model);
    CalGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No selection colour over the cells: their own colours tell pending from refused.
    CalGrid->setSelectionMode(QAbstractItemView::NoSelection);
    CalGrid->setItemDelegate(new CurrentCellDelegate(CalGrid));
    CalGrid->verticalHeader()->setFixedWidth(CalFactorTable::kLabelColumnWidthTwips / kTwipsPerPixel);
    CalGrid->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CalGrid->horizontalHeader()->setFixedHeight(CalFactorTable::kHeaderRowHeightTwips / kTwipsPerPixel);
    layout->addWidget(CalGrid, 1);

    Text_Edit = new QLineEdit(this);
    Text_Edit->setObjectName(QStringLiteral("Text_Edit"));
    m_editor = new GridCellEditor(CalGrid, Text_Edit,
                                  [this](const QModelIndex &cell, const QString &text) { m_model->commit(cell, text); },
                                  this);

    auto button = [this](QPushButton *&control, const char *name, const QString &caption,
                         void (FormCalFactors::*handler)()) {
        control = new QPushButton(caption, this);
        control->setObjectName(QString::fromLatin1(name));
        connect(control, &QPushButton::clicked, this, handler);
        return control;
    };
    auto *buttons = new QGridLayout;
    buttons->addWidget(button(Command_LoadAllCalFactors, "Command_LoadAllCalFactors", QStringLiteral("Load from Calibrator"),
                              &FormCalFactors::Command_LoadAllCalFactors_Click), 0, 0);
    buttons->addWidget(button(Command_SaveAll, "Command_SaveAll", QStringLiteral("Save To Calibrator"),
                              &FormCalFactors::Command_SaveAll_Click), 0, 1);
    buttons->addWidget(button(Command_ClearAll, "Command_ClearAll", QStringLiteral("Clear Meter"),
                              &FormCalFactors::Command_ClearAll_Click), 0, 2);
    buttons->addWidget(button(Command_FileLoad, "Command_FileLoad", QStringLiteral("Load from File"),
                              &FormCalFactors::Command_FileLoad_Click), 0, 3);
    buttons->addWidget(button(Command_FileSave, "Command_FileSave", QStringLiteral("Save to File"),
                              &FormCalFactors::Command_FileSave_Click), 0, 4);
    buttons->addWidget(button(Command_Backup, "Command_Backup", QStringLiteral("Backup Meter to Secondary Cal Storage"),
                              &FormCalFactors::Command_Backup_Click), 1, 0, 1, 2);
    buttons->addWidget(button(Command_Restore, "Command_Restore", QStringLiteral("Restore Meter from Secondary Cal storage"),
                              &FormCalFactors::Command_Restore_Click), 1, 2, 1, 2);
    buttons->addWidget(button(Command_Exit, "Command_Exit", QStringLiteral("Exit"), &FormCalFactors::Command_Exit_Click),
                       1, 4);
    layout->addLayout(buttons);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);
}

void FormCalFactors::DisableButtons()
{
    for (QPushButton *b : {Command_LoadAllCalFactors, Command_SaveAll, Command_ClearAll, Command_FileLoad,
                           Command_FileSave, Command_Backup, Command_Restore})
        b->setEnabled(false);
}

void FormCalFactors::EnableButtons()
{
    for (QPushButton *b : {Command_LoadAllCalFactors, Command_SaveAll, Command_ClearAll, Command_FileLoad,
                           Command_FileSave, Command_Backup, Command_Restore})
        b->setEnabled(true);
}

void FormCalFactors::setBusy(bool on)
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

void FormCalFactors::runOperation(const std::function<void(CalFactorOperations &)> &body)
{
    IDVM *dvm = m_context.dvm();
    if (!dvm || m_working)
        return;
    // A value still in the editor belongs to the grid before anything reads it.
    m_editor->close(true);

    // The window may be closed, even destroyed, while the operation waits for the instrument:
    // the hooks then ask it to stop, and nothing below touches the window once it is gone.
    QPointer<FormCalFactors> self(this);
    const std::shared_ptr<CalFactorTable> table = m_table;
    CalFactorOperations::Hooks hooks;
    hooks.status = m_status;
    hooks.busy = [self](bool on) {
        if (self)
            self->setBusy(on);
    };
    hooks.progress = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    hooks.rangeRead = [self](int range, const QString &) {
        if (!self || self->m_exitRequested)
            return false;
        self->ProgressBar1->setRange(0, CalFactorTable::kLastRange);
        self->ProgressBar1->setValue(range);
        return true;
    };
    const int pending = table->pendingCount();
    hooks.cellWritten = [self, pending](const CalFactorOperations::CellWrite &) {
        if (!self || self->m_exitRequested)
            return false;
        self->ProgressBar1->setRange(0, qMax(1, pending));
        self->ProgressBar1->setValue(qMin(pending, self->ProgressBar1->value() + 1));
        return true;
    };
    CalFactorOperations operations(*table, *dvm, m_prompts, hooks);

    m_working = true;
    ProgressBar1->setValue(0);
    body(operations);
    if (!self)
        return;
    m_working = false;
    ProgressBar1->setValue(0);
    if (m_exitRequested)
        close();
}

void FormCalFactors::Command_LoadAllCalFactors_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.loadFromCalibrator(); });
}

void FormCalFactors::Command_SaveAll_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.saveToCalibrator(); });
}

void FormCalFactors::Command_ClearAll_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.clearInstrument(); });
}

void FormCalFactors::Command_FileLoad_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.loadFromFile(); });
}

void FormCalFactors::Command_FileSave_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.saveToFile(); });
}

void FormCalFactors::Command_Backup_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.backupToSecondary(); });
}

void FormCalFactors::Command_Restore_Click()
{
    runOperation([](CalFactorOperations &ops) { ops.restoreFromSecondary(); });
}

void FormCalFactors::Command_Exit_Click()
{
    close();
}

void FormCalFactors::closeEvent(QCloseEvent *event)
{
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
