#include "gui/caldata/FormSpecifications.h"

#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "gui/app/FormProgress.h"
#include "gui/caldata/GridCellEditor.h"
#include "gui/caldata/TableGridModel.h"
#include "gui/common/Named.h"
#include "gui/common/OnWindowThread.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

FormSpecifications::FormSpecifications(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent)
    : TableWindow(session, prompts, std::move(status), parent), m_table(std::make_shared<SpecTable>())
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

    // The label column and the heading row, in twips: room for the instrument's range labels
    // and for a heading on two lines.
    buildGrid(layout, new TableGridModel(m_table.get(), this), 2400, 550);
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

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(makeButton(Command_LoadAllCalFactors, "Command_LoadAllCalFactors",
                                  QStringLiteral("Load From Meter"), [this] { Command_LoadAllCalFactors_Click(); }));
    buttons->addWidget(makeButton(Command_SaveAll, "Command_SaveAll", QStringLiteral("Save To Meter"),
                                  [this] { Command_SaveAll_Click(); }));
    buttons->addWidget(makeButton(Command_ClearAll, "Command_ClearAll", QStringLiteral("Clear Meter"),
                                  [this] { Command_ClearAll_Click(); }));
    buttons->addWidget(makeButton(Command_FileLoad, "Command_FileLoad", QStringLiteral("Load from File"),
                                  [this] { Command_FileLoad_Click(); }));
    buttons->addWidget(makeButton(Command_FileCompare, "Command_FileCompare", QStringLiteral("Compare with File..."),
                                  [this] { Command_FileCompare_Click(); }));
    buttons->addWidget(makeButton(Command_FileSave, "Command_FileSave", QStringLiteral("Save to File"),
                                  [this] { Command_FileSave_Click(); }));
    buttons->addStretch(1);
    buttons->addWidget(
        makeButton(Command_Exit, "Command_Exit", QStringLiteral("Exit"), [this] { Command_Exit_Click(); }));
    layout->addLayout(buttons);
    buildStatusRow(layout);
}

QList<QPushButton *> FormSpecifications::operationButtons() const
{
    return {Command_LoadAllCalFactors, Command_SaveAll,     Command_ClearAll,
            Command_FileLoad,          Command_FileCompare, Command_FileSave};
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

TableWindow::OperationsFactory FormSpecifications::operations()
{
    return operationsOver<SpecOperations>(m_table);
}

TableOperation::Command FormSpecifications::clearCommand() const
{
    return SpecOperations::clearCommand();
}

QString FormSpecifications::cellsName() const
{
    return QStringLiteral("figures");
}

void FormSpecifications::addWindowHooks(TableOperation::Hooks &hooks)
{
    // The download progress window stands open for the one long exchange of a reading.
    hooks.readStarting =
        onWindowThread(this, std::function<void(int)>([this](int expectedLines) { showProgress(expectedLines); }));
    hooks.readFinished = onWindowThread(this, std::function<void()>([this] { hideProgress(); }));
}

void FormSpecifications::Form_Load(bool readInstrument)
{
    // The editor waits out of sight until a cell is edited.
    Text_Edit->hide();
    InitCalGrid();
    if (!readInstrument)
        return;
    // The version box starts empty whatever the reading brought: a version is typed for a save.
    runOnInstrument(
        captionOf("Command_LoadAllCalFactors"), OperationQueue::Effect::Reads, [](TableOperation &ops) { ops.load(); },
        [this] {
            Text_Version->clear();
            m_table->setVersion(QString());
        });
}

void FormSpecifications::InitCalGrid()
{
    m_table->initGrid();
}

void FormSpecifications::closeEvent(QCloseEvent *event)
{
    TableWindow::closeEvent(event);
    if (event->isAccepted())
        hideProgress();
}
