#include "gui/caldata/FormCalFactors.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "gui/caldata/TableGridModel.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FormCalFactors::FormCalFactors(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent)
    : TableWindow(session, prompts, std::move(status), parent), m_table(std::make_shared<CalFactorTable>())
{
    setObjectName(QStringLiteral("FormCalFactors"));
    setWindowTitle(QStringLiteral("Calibration Factors"));
    buildControls();
    // Form_Load: an empty editor and the grid's first shape (71 x 24, from the table).
    Text_Edit->clear();
    resize(1000, 640);
}

void FormCalFactors::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    // The label column and the heading row, in twips: room for "021: 200mV AC" and "Positive".
    buildGrid(layout, new TableGridModel(m_table.get(), this), 2000, 450);

    auto *buttons = new QGridLayout;
    buttons->addWidget(makeButton(Command_LoadAllCalFactors, "Command_LoadAllCalFactors",
                                  QStringLiteral("Load from Calibrator"),
                                  [this] { Command_LoadAllCalFactors_Click(); }),
                       0, 0);
    buttons->addWidget(makeButton(Command_SaveAll, "Command_SaveAll", QStringLiteral("Save To Calibrator"),
                                  [this] { Command_SaveAll_Click(); }),
                       0, 1);
    buttons->addWidget(makeButton(Command_ClearAll, "Command_ClearAll", QStringLiteral("Clear Meter"),
                                  [this] { Command_ClearAll_Click(); }),
                       0, 2);
    buttons->addWidget(makeButton(Command_FileLoad, "Command_FileLoad", QStringLiteral("Load from File"),
                                  [this] { Command_FileLoad_Click(); }),
                       0, 3);
    buttons->addWidget(makeButton(Command_FileCompare, "Command_FileCompare", QStringLiteral("Compare with File..."),
                                  [this] { Command_FileCompare_Click(); }),
                       0, 4);
    buttons->addWidget(makeButton(Command_FileSave, "Command_FileSave", QStringLiteral("Save to File"),
                                  [this] { Command_FileSave_Click(); }),
                       0, 5);
    // Six columns: the second row's three buttons take two each.
    buttons->addWidget(makeButton(Command_Backup, "Command_Backup",
                                  QStringLiteral("Backup Meter to Secondary Cal Storage"),
                                  [this] { Command_Backup_Click(); }),
                       1, 0, 1, 2);
    buttons->addWidget(makeButton(Command_Restore, "Command_Restore",
                                  QStringLiteral("Restore Meter from Secondary Cal storage"),
                                  [this] { Command_Restore_Click(); }),
                       1, 2, 1, 2);
    buttons->addWidget(
        makeButton(Command_Exit, "Command_Exit", QStringLiteral("Exit"), [this] { Command_Exit_Click(); }), 1, 4, 1, 2);
    layout->addLayout(buttons);
    buildStatusRow(layout);
}

QList<QPushButton *> FormCalFactors::operationButtons() const
{
    return {Command_LoadAllCalFactors, Command_SaveAll,  Command_ClearAll, Command_FileLoad,
            Command_FileCompare,       Command_FileSave, Command_Backup,   Command_Restore};
}

const CellTable &FormCalFactors::cellTable() const
{
    return *m_table;
}

TableComparison FormCalFactors::comparison()
{
    return {*m_table, TableComparison::factors()};
}

TableWindow::OperationsFactory FormCalFactors::operations()
{
    return operationsOver<CalFactorOperations>(m_table);
}

int FormCalFactors::readingLength() const
{
    return CalFactorTable::kLastRange;
}

TableOperation::Command FormCalFactors::clearCommand() const
{
    return CalFactorOperations::clearCommand();
}

QString FormCalFactors::cellsName() const
{
    return QStringLiteral("factors");
}

void FormCalFactors::Command_Backup_Click()
{
    runCommand(captionOf("Command_Backup"), CalFactorOperations::backupCommand());
}

void FormCalFactors::Command_Restore_Click()
{
    runCommand(captionOf("Command_Restore"), CalFactorOperations::restoreCommand());
}
