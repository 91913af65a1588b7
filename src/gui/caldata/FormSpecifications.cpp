#include "gui/caldata/FormSpecifications.h"

#include "caldata/SpecTable.h"
#include "gui/app/FormProgress.h"
#include "gui/caldata/CurrentCellDelegate.h"
#include "gui/caldata/GridCellEditor.h"
#include "gui/caldata/SpecGridModel.h"
#include "gui/common/Named.h"
#include "instrument/InstrumentContext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The grid's sizes are given in twips; a pixel is 15 of them on a 96 dpi screen.
constexpr int kTwipsPerPixel = 15;

} // namespace

FormSpecifications::FormSpecifications(InstrumentContext &context, Prompts &prompts, StatusSink status,
                                       QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context), m_prompts(prompts), m_status(std::move(status)),
      m_table(std::make_shared<SpecTable>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormSpecifications"));
    setWindowTitle(QStringLiteral("Specifications"));
    buildControls();
    resize(1100, 640);
}

FormSpecifications::~FormSpecifications()
{
    // The editor's event filter goes first: the children are destroyed after this, the grid before
    // the editor, and the editor's last focus events must not reach a half-destroyed grid (nor the
    // table, which as a member is gone before the children).
    delete m_editor;
    m_editor = nullptr;
    hideProgress();
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void FormSpecifications::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    CalGrid = named(new QTableView(this), "CalGrid");
    m_model = new SpecGridModel(m_table.get(), this);
    CalGrid->setModel(m_model);
    CalGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No selection colour over the cells: their own colours tell pending, written and refused.
    CalGrid->setSelectionMode(QAbstractItemView::NoSelection);
    CalGrid->setItemDelegate(new CurrentCellDelegate(CalGrid));
    CalGrid->verticalHeader()->setFixedWidth(SpecTable::kLabelColumnWidthTwips / kTwipsPerPixel);
    CalGrid->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CalGrid->horizontalHeader()->setFixedHeight(SpecTable::kHeaderRowHeightTwips / kTwipsPerPixel);
    CalGrid->horizontalHeader()->setDefaultSectionSize(100);
    layout->addWidget(CalGrid, 1);

    Text_Edit = named(new QLineEdit(this), "Text_Edit");
    m_editor = new GridCellEditor(
        CalGrid, Text_Edit, [this](const QModelIndex &cell, const QString &text) { m_model->commit(cell, text); }, this);
    m_editor->setSelectAllOnOpen(true);

    auto *versionRow = new QHBoxLayout;
    auto *versionLabel = named(new QLabel(QStringLiteral("Version"), this), "Label_Version");
    Text_Version = named(new QLineEdit(this), "Text_Version");
    Text_Version->setMaximumWidth(200);
    versionLabel->setBuddy(Text_Version);
    versionRow->addWidget(versionLabel);
    versionRow->addWidget(Text_Version);
    versionRow->addStretch(1);
    layout->addLayout(versionRow);
    // The box and the table's version are one value.
    connect(Text_Version, &QLineEdit::textEdited, m_table.get(), &SpecTable::setVersion);
    connect(m_table.get(), &SpecTable::versionChanged, Text_Version, [this](const QString &version) {
        if (Text_Version->text() != version)
            Text_Version->setText(version);
    });

    auto button = [this](QPushButton *&control, const char *name, const QString &caption,
                         void (FormSpecifications::*handler)()) {
        control = named(new QPushButton(caption, this), name);
        control->setAutoDefault(false);
        connect(control, &QPushButton::clicked, this, handler);
        return control;
    };
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button(Command_LoadAllCalFactors, "Command_LoadAllCalFactors", QStringLiteral("Load From Meter"),
                              &FormSpecifications::Command_LoadAllCalFactors_Click));
    buttons->addWidget(button(Command_SaveAll, "Command_SaveAll", QStringLiteral("Save To Meter"),
                              &FormSpecifications::Command_SaveAll_Click));
    buttons->addWidget(button(Command_ClearAll, "Command_ClearAll", QStringLiteral("Clear Meter"),
                              &FormSpecifications::Command_ClearAll_Click));
    buttons->addWidget(button(Command_FileLoad, "Command_FileLoad", QStringLiteral("Load from File"),
                              &FormSpecifications::Command_FileLoad_Click));
    buttons->addWidget(button(Command_FileSave, "Command_FileSave", QStringLiteral("Save to File"),
                              &FormSpecifications::Command_FileSave_Click));
    buttons->addStretch(1);
    buttons->addWidget(button(Command_Exit, "Command_Exit", QStringLiteral("Exit"), &FormSpecifications::Command_Exit_Click));
    layout->addLayout(buttons);
}

void FormSpecifications::DisableButtons()
{
    for (QPushButton *b : {Command_LoadAllCalFactors, Command_SaveAll, Command_ClearAll, Command_FileLoad, Command_FileSave})
        b->setEnabled(false);
}

void FormSpecifications::EnableButtons()
{
    for (QPushButton *b : {Command_LoadAllCalFactors, Command_SaveAll, Command_ClearAll, Command_FileLoad, Command_FileSave})
        b->setEnabled(true);
}

void FormSpecifications::setBusy(bool on)
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

void FormSpecifications::showProgress(int expectedLines)
{
    hideProgress();
    m_progress = new FormProgress(this);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    m_progress->show();
    m_progress->SetMaxLines(qint16(expectedLines));
}

void FormSpecifications::hideProgress()
{
    if (m_progress)
        m_progress->close();
}

bool FormSpecifications::runOperation(const std::function<void(SpecOperations &)> &body)
{
    IDVM *dvm = m_context.dvm();
    if (!dvm || m_working)
        return false;
    // A value still in the editor belongs to the grid before anything reads it.
    m_editor->close(true);

    // The window may be closed, even destroyed, while the operation waits for the instrument:
    // the hooks then ask it to stop, and nothing below touches the window once it is gone.
    QPointer<FormSpecifications> self(this);
    const std::shared_ptr<SpecTable> table = m_table;
    SpecOperations::Hooks hooks;
    hooks.status = m_status;
    hooks.busy = [self](bool on) {
        if (self)
            self->setBusy(on);
    };
    hooks.readStarting = [self](int expectedLines) {
        if (self)
            self->showProgress(expectedLines);
    };
    hooks.readFinished = [self] {
        if (self)
            self->hideProgress();
    };
    hooks.progress = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    hooks.cellWritten = [self](const SpecOperations::CellWrite &) { return self && !self->m_exitRequested; };
    SpecOperations operations(*table, *dvm, m_prompts, hooks);

    m_working = true;
    body(operations);
    if (!self)
        return true;
    m_working = false;
    if (m_exitRequested)
        close();
    return true;
}

void FormSpecifications::Form_Load()
{
    // The editor waits out of sight until a cell is edited.
    Text_Edit->hide();
    InitCalGrid();
    QPointer<FormSpecifications> self(this);
    Command_LoadAllCalFactors_Click();
    if (!self)
        return;
    Text_Version->clear();
    m_table->setVersion(QString());
}

void FormSpecifications::InitCalGrid()
{
    m_table->initGrid();
}

bool FormSpecifications::FileLoad(const QString &filename)
{
    bool loaded = false;
    runOperation([&](SpecOperations &ops) { loaded = ops.fileLoad(filename) == SpecOperations::Outcome::Done; });
    return loaded;
}

void FormSpecifications::Command_LoadAllCalFactors_Click()
{
    runOperation([](SpecOperations &ops) { ops.loadFromMeter(); });
}

void FormSpecifications::Command_SaveAll_Click()
{
    // A save that could not start (another operation runs) counts as stopped.
    SpecOperations::SaveSummary summary;
    summary.outcome = SpecOperations::Outcome::Stopped;
    QPointer<FormSpecifications> self(this);
    runOperation([&summary](SpecOperations &ops) { summary = ops.saveToMeter(); });
    if (self)
        m_lastSave = summary;
}

void FormSpecifications::Command_ClearAll_Click()
{
    runOperation([](SpecOperations &ops) { ops.clearMeter(); });
}

void FormSpecifications::Command_FileLoad_Click()
{
    runOperation([](SpecOperations &ops) { ops.loadFromFile(); });
}

void FormSpecifications::Command_FileSave_Click()
{
    runOperation([](SpecOperations &ops) { ops.saveToFile(); });
}

void FormSpecifications::Command_Exit_Click()
{
    close();
}

void FormSpecifications::closeEvent(QCloseEvent *event)
{
    if (m_working) {
        // The running operation stops at its next step and closes the window then; until then
        // the window only disappears.
        m_exitRequested = true;
        hide();
        event->ignore();
        return;
    }
    hideProgress();
    event->accept();
}
