#pragma once

#include "records/TableKind.h"

#include <QWidget>

#include <functional>

class JournalChanges;
class JournalListing;
class Prompts;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

/**
 * @brief The "Change Journal" window: what was done to instruments from this computer, newest
 * first, narrowed to one serial number or not, with the chosen record's details and the values it
 * changed; a snapshot it kept can be opened in its table window, and the journal's chain checked.
 *
 * The window reads the journal file itself and talks to no instrument: it needs no connection and
 * puts nothing on the instrument's queue. Opening a snapshot only fills the table window's grid.
 * The listing, its texts and the check are JournalListing's; this window lays them out.
 */
class FormChangeJournal : public QWidget
{
    Q_OBJECT
public:
    /// Loads a snapshot file into the table window of its kind, opening that window or bringing it
    /// forward; true when the grid now holds the snapshot.
    using SnapshotOpener = std::function<bool(const QString &path, TableKind kind)>;

    FormChangeJournal(Prompts &prompts, SnapshotOpener openSnapshot, QWidget *parent = nullptr);

    JournalListing &listing() const { return *m_listing; }

    void Combo_Serial_Click();
    void Grid_Records_Click();
    void Command_OpenSnapshot_Click();
    void Command_VerifyChain_Click();
    void Command_Refresh_Click();
    void Command_Close_Click();

private:
    void buildControls();
    /// Fills the controls from the listing, choosing the record of `line` when it is still shown
    /// and the newest otherwise.
    void showListing(int line);
    /// The row of the record chosen in the list, or -1.
    int chosenRow() const;

    Prompts &m_prompts;
    SnapshotOpener m_openSnapshot;
    JournalListing *m_listing = nullptr;
    JournalChanges *m_changes = nullptr;

    QComboBox *Combo_Serial = nullptr;
    QLabel *Text_Location = nullptr;
    QPlainTextEdit *Text_Problems = nullptr;
    QTableView *Grid_Records = nullptr;
    QPlainTextEdit *Text_Details = nullptr;
    QTableView *Grid_Changes = nullptr;
    QLabel *Text_Status = nullptr;
    QPushButton *Command_OpenSnapshot = nullptr;
    QPushButton *Command_VerifyChain = nullptr;
    QPushButton *Command_Refresh = nullptr;
    QPushButton *Command_Close = nullptr;
};
