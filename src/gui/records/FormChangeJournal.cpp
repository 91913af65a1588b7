#include "gui/records/FormChangeJournal.h"

#include "gui/common/CommandButton.h"
#include "gui/common/Named.h"
#include "platform/Prompts.h"
#include "records/DataFolders.h"
#include "records/JournalChanges.h"
#include "records/JournalListing.h"
#include "records/SnapshotOpening.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Change Journal");

QTableView *readOnlyGrid(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *grid = named(new QTableView(parent), name);
    grid->setAccessibleName(accessibleName);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

QPlainTextEdit *readOnlyBox(QWidget *parent, const char *name, const QString &accessibleName, int lines)
{
    auto *box = named(new QPlainTextEdit(parent), name);
    box->setAccessibleName(accessibleName);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Room for the lines and a scroll bar along the bottom, with a little to spare so the margins
    // never cut the last line.
    const int frame = 2 * box->frameWidth() + int(box->document()->documentMargin() * 2);
    const int lineSpacing = box->fontMetrics().lineSpacing();
    box->setFixedHeight((lines + 1) * lineSpacing + frame + box->horizontalScrollBar()->sizeHint().height());
    return box;
}

} // namespace

FormChangeJournal::FormChangeJournal(Prompts &prompts, SnapshotOpener openSnapshot, QWidget *parent)
    : QWidget(parent),
      m_prompts(prompts),
      m_openSnapshot(std::move(openSnapshot)),
      m_listing(new JournalListing(DataFolders::journalPath(), this)),
      m_changes(new JournalChanges(this))
{
    setObjectName(QStringLiteral("FormChangeJournal"));
    setWindowTitle(kTitle);
    buildControls();
    showListing(0);
    resize(900, 700);
}

void FormChangeJournal::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    auto *filterRow = new QHBoxLayout;
    auto *filterLabel = named(new QLabel(QStringLiteral("&Instrument:"), this), "Label_Serial");
    Combo_Serial = named(new QComboBox(this), "Combo_Serial");
    Combo_Serial->setAccessibleName(QStringLiteral("Instrument serial number"));
    Combo_Serial->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    filterLabel->setBuddy(Combo_Serial);
    connect(Combo_Serial, &QComboBox::currentIndexChanged, this, [this] { Combo_Serial_Click(); });
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(Combo_Serial);
    filterRow->addStretch(1);
    layout->addLayout(filterRow);

    Text_Location = named(new QLabel(this), "Text_Location");
    Text_Location->setWordWrap(true);
    Text_Location->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Text_Location);

    // Shown only when the file holds lines that are not records; they are never left out quietly.
    Text_Problems = readOnlyBox(this, "Text_Problems", QStringLiteral("Lines that are not records"), 3);
    layout->addWidget(Text_Problems);

    Grid_Records = readOnlyGrid(this, "Grid_Records", QStringLiteral("Journal records"));
    Grid_Records->setModel(m_listing);
    connect(Grid_Records->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Grid_Records_Click(); });

    // The chosen record's details sit above its changes; the list and the changes share the
    // height the window has, as the engineer drags the splitter.
    auto *chosen = new QWidget(this);
    auto *chosenLayout = new QVBoxLayout(chosen);
    chosenLayout->setContentsMargins(0, 0, 0, 0);
    Text_Details = readOnlyBox(chosen, "Text_Details", QStringLiteral("Details of the chosen record"), 7);
    Grid_Changes = readOnlyGrid(chosen, "Grid_Changes", QStringLiteral("Changes of the chosen record"));
    Grid_Changes->setModel(m_changes);
    chosenLayout->addWidget(Text_Details);
    chosenLayout->addWidget(Grid_Changes, 1);

    auto *splitter = named(new QSplitter(Qt::Vertical, this), "Splitter_Journal");
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(Grid_Records);
    splitter->addWidget(chosen);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    Text_Status = named(new QLabel(this), "Text_Status");
    Text_Status->setWordWrap(true);
    Text_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Text_Status);

    auto *buttons = new QHBoxLayout;
    Command_OpenSnapshot = commandButton(QStringLiteral("Open Snapshot"), QStringLiteral("Command_OpenSnapshot"), this);
    Command_VerifyChain = commandButton(QStringLiteral("Verify Chain"), QStringLiteral("Command_VerifyChain"), this);
    Command_Refresh = commandButton(QStringLiteral("Refresh"), QStringLiteral("Command_Refresh"), this);
    Command_Close = commandButton(QStringLiteral("Close"), QStringLiteral("Command_Close"), this);
    connect(Command_OpenSnapshot, &QPushButton::clicked, this, [this] { Command_OpenSnapshot_Click(); });
    connect(Command_VerifyChain, &QPushButton::clicked, this, [this] { Command_VerifyChain_Click(); });
    connect(Command_Refresh, &QPushButton::clicked, this, [this] { Command_Refresh_Click(); });
    connect(Command_Close, &QPushButton::clicked, this, [this] { Command_Close_Click(); });
    buttons->addWidget(Command_OpenSnapshot);
    buttons->addWidget(Command_VerifyChain);
    buttons->addWidget(Command_Refresh);
    buttons->addStretch(1);
    buttons->addWidget(Command_Close);
    layout->addLayout(buttons);
}

void FormChangeJournal::showListing(int line)
{
    {
        const QSignalBlocker quiet(Combo_Serial);
        Combo_Serial->clear();
        Combo_Serial->addItems(m_listing->filterChoices());
        Combo_Serial->setCurrentIndex(m_listing->filterIndex());
    }
    Text_Location->setText(m_listing->locationText());
    const QStringList problems = m_listing->problemTexts();
    Text_Problems->setPlainText(problems.join(QLatin1Char('\n')));
    Text_Problems->setVisible(!problems.isEmpty());

    Grid_Records->resizeColumnsToContents();
    const int row = std::max(0, m_listing->rowOfLine(line));
    if (row < m_listing->rowCount())
        Grid_Records->setCurrentIndex(m_listing->index(row, 0));
    // A reset model leaves no current row behind, so the details are drawn here and not only when
    // the current row changes.
    Grid_Records_Click();
}

int FormChangeJournal::chosenRow() const
{
    const QModelIndex current = Grid_Records->currentIndex();
    return current.isValid() && current.row() < m_listing->rowCount() ? current.row() : -1;
}

void FormChangeJournal::Combo_Serial_Click()
{
    const int row = chosenRow();
    const int line = row >= 0 ? m_listing->entryAt(row).line : 0;
    m_listing->chooseFilter(Combo_Serial->currentIndex());
    showListing(line);
}

void FormChangeJournal::Grid_Records_Click()
{
    const int row = chosenRow();
    if (row < 0) {
        Text_Details->clear();
        m_changes->show({});
        Command_OpenSnapshot->setEnabled(false);
        return;
    }
    // Captions in a column of their own, a text's further lines (a digest) under its first.
    const auto details = m_listing->details(row);
    qsizetype width = 0;
    for (const auto &[caption, text] : details)
        width = std::max(width, caption.size() + 2);
    QStringList lines;
    for (const auto &[caption, text] : details) {
        const QStringList parts = text.split(QLatin1Char('\n'));
        lines << caption.leftJustified(width) + parts.first();
        for (qsizetype i = 1; i < parts.size(); ++i)
            lines << QString(width, QLatin1Char(' ')) + parts.at(i);
    }
    Text_Details->setPlainText(lines.join(QLatin1Char('\n')));
    m_changes->show(m_listing->entryAt(row).record.changes);
    Grid_Changes->resizeColumnsToContents();
    Command_OpenSnapshot->setEnabled(m_listing->snapshotKind(row).has_value());
}

void FormChangeJournal::Command_OpenSnapshot_Click()
{
    const int row = chosenRow();
    const std::optional<TableKind> kind = row >= 0 ? m_listing->snapshotKind(row) : std::nullopt;
    if (!kind || !m_openSnapshot)
        return;
    const FileReference snapshot = *m_listing->entryAt(row).record.snapshot;
    const SnapshotOpening check = SnapshotOpening::check(snapshot);
    if (check.state() == SnapshotOpening::State::Missing) {
        m_prompts.message(check.text(), kTitle, Prompts::Icon::Warning);
        return;
    }
    if (check.state() == SnapshotOpening::State::Changed
        && m_prompts.message(check.text(), kTitle, Prompts::Icon::Warning, Prompts::Buttons::YesNo, Prompts::Answer::No)
            != Prompts::Answer::Yes)
        return;
    // Loading may show a message of the table window's; the program may close meanwhile.
    QPointer<FormChangeJournal> self(this);
    const bool loaded = m_openSnapshot(snapshot.path, *kind);
    if (self)
        Text_Status->setText(SnapshotOpening::outcomeText(snapshot.path, *kind, loaded));
}

void FormChangeJournal::Command_VerifyChain_Click()
{
    const JournalListing::ChainCheck check = m_listing->verifyChain();
    Text_Status->setText(check.text);
    m_prompts.message(check.text, kTitle, check.intact ? Prompts::Icon::Information : Prompts::Icon::Warning);
}

void FormChangeJournal::Command_Refresh_Click()
{
    const int row = chosenRow();
    const int line = row >= 0 ? m_listing->entryAt(row).line : 0;
    m_listing->reload();
    showListing(line);
}

void FormChangeJournal::Command_Close_Click()
{
    close();
}
