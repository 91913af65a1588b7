#include "gui/caldata/FormSpecifications.h"

#include "caldata/SpecTable.h"
#include "gui/app/FormProgress.h"
#include "gui/caldata/GridCellEditor.h"
#include "gui/caldata/SpecGridModel.h"
#include "gui/common/Named.h"
#include "session/InstrumentSession.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

FormSpecifications::FormSpecifications(InstrumentSession &session, Prompts &prompts, StatusSink status,
                                       QWidget *parent)
    : TableWindow(parent), m_session(session), m_prompts(prompts), m_status(std::move(status)),
      m_table(std::make_shared<SpecTable>())
{
    setObjectName(QStringLiteral("FormSpecifications"));
    setWindowTitle(QStringLiteral("Specifications"));
    buildControls();
    resize(1100, 640);
}

FormSpecifications::~FormSpecifications()
{
    hideProgress();
}

void FormSpecifications::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    buildGrid(layout, new SpecGridModel(m_table.get(), this), SpecTable::kLabelColumnWidthTwips,
              SpecTable::kHeaderRowHeightTwips);
    CalGrid->horizontalHeader()->setDefaultSectionSize(100);
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

QList<QPushButton *> FormSpecifications::operationButtons() const
{
    return {Command_LoadAllCalFactors, Command_SaveAll, Command_ClearAll, Command_FileLoad, Command_FileSave};
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

bool FormSpecifications::run(const std::function<void(SpecOperations &)> &body)
{
    IDVM *dvm = m_session.dvm();
    if (!dvm)
        return false;
    return runOperation([&] {
        // The window may be closed, even destroyed, while the operation waits for the instrument:
        // the hooks then ask it to stop, and nothing here touches the window once it is gone.
        QPointer<FormSpecifications> self(this);
        const std::shared_ptr<SpecTable> table = m_table;
        SpecOperations::Hooks hooks;
        hooks.status = m_status;
        hooks.busy = busyHook();
        hooks.readStarting = [self](int expectedLines) {
            if (self)
                self->showProgress(expectedLines);
        };
        hooks.readFinished = [self] {
            if (self)
                self->hideProgress();
        };
        hooks.progress = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
        hooks.cellWritten = [mayGoOn = mayGoOnHook()](const SpecOperations::CellWrite &) { return mayGoOn(); };
        SpecOperations operations(*table, m_session.channel(), m_prompts, hooks);
        body(operations);
    });
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
    run([&](SpecOperations &ops) { loaded = ops.fileLoad(filename) == SpecOperations::Outcome::Done; });
    return loaded;
}

void FormSpecifications::Command_LoadAllCalFactors_Click()
{
    run([](SpecOperations &ops) { ops.loadFromMeter(); });
}

void FormSpecifications::Command_SaveAll_Click()
{
    // A save that could not start (another operation runs) counts as stopped.
    SpecOperations::SaveSummary summary;
    summary.outcome = SpecOperations::Outcome::Stopped;
    QPointer<FormSpecifications> self(this);
    run([&summary](SpecOperations &ops) { summary = ops.saveToMeter(); });
    if (self)
        m_lastSave = summary;
}

void FormSpecifications::Command_ClearAll_Click()
{
    run([](SpecOperations &ops) { ops.clearMeter(); });
}

void FormSpecifications::Command_FileLoad_Click()
{
    run([](SpecOperations &ops) { ops.loadFromFile(); });
}

void FormSpecifications::Command_FileSave_Click()
{
    run([](SpecOperations &ops) { ops.saveToFile(); });
}

void FormSpecifications::Command_Exit_Click()
{
    close();
}

void FormSpecifications::closeEvent(QCloseEvent *event)
{
    TableWindow::closeEvent(event);
    if (event->isAccepted())
        hideProgress();
}
