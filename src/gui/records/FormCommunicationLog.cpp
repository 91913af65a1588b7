#include "gui/records/FormCommunicationLog.h"

#include "gui/common/Named.h"
#include "instrument/TraceBus.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "platform/TraceSettings.h"
#include "records/TraceExport.h"
#include "records/TraceLog.h"
#include "records/TraceLogFilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {

/// The filter with the failures in colour; the colour is the window's business, not the model's.
class ColouredFilter : public TraceLogFilter
{
public:
    using TraceLogFilter::TraceLogFilter;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::ForegroundRole && index.data(TraceLog::FailedRole).toBool())
            return QColor(0xb0, 0x00, 0x20);
        return TraceLogFilter::data(index, role);
    }
};

} // namespace

FormCommunicationLog::FormCommunicationLog(Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts)
{
    setObjectName(QStringLiteral("FormCommunicationLog"));
    setWindowTitle(QStringLiteral("Communication Log"));
    m_log = new TraceLog(Settings::intValue(SettingsKey::TraceLogCapacity, TraceSettingDefault::kLogCapacity), this);
    m_filter = new ColouredFilter(this);
    m_filter->setSourceModel(m_log);
    buildControls();

    // Records come on the work thread; the log only queues them there.
    TraceLog *log = m_log;
    m_listener = traceBus().addListener([log](const TraceRecord &record) { log->append(record.lines()); });
    resize(900, 480);
}

FormCommunicationLog::~FormCommunicationLog()
{
    traceBus().removeListener(m_listener);
}

void FormCommunicationLog::buildControls()
{
    auto *outer = new QVBoxLayout(this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    Text_Filter = named(new QLineEdit(this), "Text_Filter");
    Text_Filter->setPlaceholderText(QStringLiteral("text, interface or outcome"));
    Text_Filter->setClearButtonEnabled(true);
    bar->addWidget(Text_Filter, 1);
    Check_ErrorsOnly = named(new QCheckBox(QStringLiteral("&Errors only"), this), "Check_ErrorsOnly");
    bar->addWidget(Check_ErrorsOnly);
    Command_Pause = named(new QPushButton(QStringLiteral("&Pause"), this), "Command_Pause");
    bar->addWidget(Command_Pause);
    Command_Clear = named(new QPushButton(QStringLiteral("C&lear"), this), "Command_Clear");
    bar->addWidget(Command_Clear);
    outer->addLayout(bar);

    Grid_Log = named(new QTableView(this), "Grid_Log");
    Grid_Log->setModel(m_filter);
    Grid_Log->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid_Log->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Grid_Log->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_Log->setWordWrap(false);
    Grid_Log->verticalHeader()->hide();
    // Fixed row heights: measuring 100,000 rows would stall the window.
    Grid_Log->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid_Log->verticalHeader()->setDefaultSectionSize(Grid_Log->fontMetrics().height() + 4);
    QHeaderView *header = Grid_Log->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    const QFontMetrics metrics = Grid_Log->fontMetrics();
    header->resizeSection(TraceLog::TimeColumn, metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    header->resizeSection(TraceLog::DurationColumn, metrics.horizontalAdvance(QStringLiteral("999999")) + 16);
    header->resizeSection(TraceLog::InterfaceColumn,
                          metrics.horizontalAdvance(QStringLiteral("COM1 /dev/ttyUSB0")) + 16);
    header->resizeSection(TraceLog::DirectionColumn, metrics.horizontalAdvance(QStringLiteral("Direction")) + 16);
    header->resizeSection(TraceLog::OutcomeColumn, metrics.horizontalAdvance(QStringLiteral("not connected")) + 16);
    header->setSectionResizeMode(TraceLog::TextColumn, QHeaderView::Stretch);
    outer->addWidget(Grid_Log, 1);

    auto *foot = new QHBoxLayout;
    Text_Count = named(new QLabel(this), "Text_Count");
    foot->addWidget(Text_Count, 1);
    Command_Copy = named(new QPushButton(QStringLiteral("&Copy"), this), "Command_Copy");
    foot->addWidget(Command_Copy);
    Command_SaveAs = named(new QPushButton(QStringLiteral("&Save As..."), this), "Command_SaveAs");
    foot->addWidget(Command_SaveAs);
    outer->addLayout(foot);

    connect(Text_Filter, &QLineEdit::textChanged, m_filter, &TraceLogFilter::setText);
    connect(Check_ErrorsOnly, &QCheckBox::toggled, m_filter, &TraceLogFilter::setErrorsOnly);
    connect(Command_Pause, &QPushButton::clicked, this, &FormCommunicationLog::Command_Pause_Click);
    connect(Command_Clear, &QPushButton::clicked, this, &FormCommunicationLog::Command_Clear_Click);
    connect(Command_Copy, &QPushButton::clicked, this, &FormCommunicationLog::Command_Copy_Click);
    connect(Command_SaveAs, &QPushButton::clicked, this, &FormCommunicationLog::Command_SaveAs_Click);
    auto *copy = new QShortcut(QKeySequence::Copy, Grid_Log);
    connect(copy, &QShortcut::activated, this, &FormCommunicationLog::Command_Copy_Click);

    // Follow the newest lines while the view is at the bottom; a user reading older ones keeps
    // their place.
    connect(m_filter, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        QScrollBar *bar = Grid_Log->verticalScrollBar();
        Grid_Log->setProperty("follow", bar->value() >= bar->maximum());
    });
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, [this] {
        if (Grid_Log->property("follow").toBool())
            Grid_Log->scrollToBottom();
        showCount();
    });
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &FormCommunicationLog::showCount);
    connect(m_filter, &QAbstractItemModel::modelReset, this, &FormCommunicationLog::showCount);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &FormCommunicationLog::showCount);
    showCount();
}

void FormCommunicationLog::showCount()
{
    const int shown = m_filter->rowCount();
    const int held = m_log->rowCount();
    QString text = shown == held ? QStringLiteral("%1 lines").arg(held)
                                 : QStringLiteral("%1 of %2 lines shown").arg(shown).arg(held);
    if (m_log->isPaused())
        text += QStringLiteral(" (paused)");
    Text_Count->setText(text);
}

void FormCommunicationLog::Command_Pause_Click()
{
    m_log->setPaused(!m_log->isPaused());
    Command_Pause->setText(m_log->isPaused() ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    showCount();
}

void FormCommunicationLog::Command_Clear_Click()
{
    m_log->clear();
}

QList<int> FormCommunicationLog::selectedRows() const
{
    QList<int> shown;
    for (const QModelIndex &index : Grid_Log->selectionModel()->selectedRows())
        shown << index.row();
    return m_filter->sourceRows(shown);
}

void FormCommunicationLog::Command_Copy_Click()
{
    const QList<TraceLine> lines = m_log->lines(selectedRows());
    if (lines.isEmpty())
        return;
    QApplication::clipboard()->setText(QString::fromUtf8(TraceExport::render(lines, TraceExport::Format::Text)));
}

void FormCommunicationLog::Command_SaveAs_Click()
{
    // The name's ending chooses the form: .csv for a table, anything else the --trace text.
    const QString target =
        m_prompts.saveFileName(QStringLiteral("Save Communication Log"), QStringLiteral("CSV (*.csv);;Text (*.txt)"),
                               QStringLiteral("communication-log.csv"), QStringLiteral("csv"));
    if (target.isEmpty())
        return;
    // What is shown is saved, the selection aside: the filter narrows the file as it narrows the
    // table.
    QList<int> shown;
    for (int row = 0; row < m_filter->rowCount(); ++row)
        shown << row;
    const QList<TraceLine> lines = m_log->lines(m_filter->sourceRows(shown));
    QString error;
    if (!TraceExport::save(target, lines, TraceExport::formatFor(target), &error))
        m_prompts.critical(error, windowTitle());
}
