#include "gui/caldata/FormCalFactors.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "gui/caldata/CalFactorGridModel.h"
#include "session/InstrumentSession.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FormCalFactors::FormCalFactors(InstrumentSession &session, Prompts &prompts, StatusSink status, QWidget *parent)
    : TableWindow(parent), m_session(session), m_prompts(prompts), m_status(std::move(status)),
      m_table(std::make_shared<CalFactorTable>())
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

    buildGrid(layout, new CalFactorGridModel(m_table.get(), this), CalFactorTable::kLabelColumnWidthTwips,
              CalFactorTable::kHeaderRowHeightTwips);

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

QList<QPushButton *> FormCalFactors::operationButtons() const
{
    return {Command_LoadAllCalFactors, Command_SaveAll, Command_ClearAll, Command_FileLoad,
            Command_FileSave,          Command_Backup,  Command_Restore};
}

void FormCalFactors::operationEnded()
{
    ProgressBar1->setValue(0);
}

void FormCalFactors::run(const std::function<void(CalFactorOperations &)> &body)
{
    IDVM *dvm = m_session.dvm();
    if (!dvm)
        return;

    runOperation([&] {
        // The window may be closed, even destroyed, while the operation waits for the instrument:
        // the hooks then ask it to stop, and nothing here touches the window once it is gone.
        QPointer<FormCalFactors> self(this);
        const std::shared_ptr<CalFactorTable> table = m_table;
        const std::function<bool()> mayGoOn = mayGoOnHook();
        CalFactorOperations::Hooks hooks;
        hooks.status = m_status;
        hooks.busy = busyHook();
        hooks.progress = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
        hooks.rangeRead = [self, mayGoOn](int range, const QString &) {
            if (!mayGoOn())
                return false;
            self->ProgressBar1->setRange(0, CalFactorTable::kLastRange);
            self->ProgressBar1->setValue(range);
            return true;
        };
        const int pending = table->pendingCount();
        hooks.cellWritten = [self, mayGoOn, pending](const CalFactorOperations::CellWrite &) {
            if (!mayGoOn())
                return false;
            self->ProgressBar1->setRange(0, qMax(1, pending));
            self->ProgressBar1->setValue(qMin(pending, self->ProgressBar1->value() + 1));
            return true;
        };
        CalFactorOperations operations(*table, m_session.channel(), m_prompts, hooks);
        ProgressBar1->setValue(0);
        body(operations);
    });
}

void FormCalFactors::Command_LoadAllCalFactors_Click()
{
    run([](CalFactorOperations &ops) { ops.loadFromCalibrator(); });
}

void FormCalFactors::Command_SaveAll_Click()
{
    run([](CalFactorOperations &ops) { ops.saveToCalibrator(); });
}

void FormCalFactors::Command_ClearAll_Click()
{
    run([](CalFactorOperations &ops) { ops.clearInstrument(); });
}

void FormCalFactors::Command_FileLoad_Click()
{
    run([](CalFactorOperations &ops) { ops.loadFromFile(); });
}

void FormCalFactors::Command_FileSave_Click()
{
    run([](CalFactorOperations &ops) { ops.saveToFile(); });
}

void FormCalFactors::Command_Backup_Click()
{
    run([](CalFactorOperations &ops) { ops.backupToSecondary(); });
}

void FormCalFactors::Command_Restore_Click()
{
    run([](CalFactorOperations &ops) { ops.restoreFromSecondary(); });
}

void FormCalFactors::Command_Exit_Click()
{
    close();
}
