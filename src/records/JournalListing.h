#pragma once

#include "records/ChangeJournal.h"
#include "records/TableKind.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

/**
 * @brief The change journal as a list to look through: its records newest first, narrowed to
 * one instrument's serial number or not at all, with what the list needs to say about the file
 * (where it is or will be, the lines that hold no record) and the check of its chain.
 *
 * The listing reads the file when made and on reload() only, so what it shows stays put while
 * someone looks at it; a check of the chain reads the file as it is at that moment. The texts of
 * a record's summary and of the check are JournalWording's, the command-line tool's words.
 */
class JournalListing : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit JournalListing(const QString &path, QObject *parent = nullptr);

    QString path() const { return m_path; }

    /// Reads the journal again. The choice of instrument stays while a record of it is still
    /// there; otherwise every instrument is shown.
    void reload();

    /// What the serial number box offers: "All instruments" first, then each serial number the
    /// journal holds, in order ("(no serial number)" for records of an instrument that gave none).
    QStringList filterChoices() const;
    /// The index into filterChoices() now in force.
    int filterIndex() const;
    /// Shows only the records of the serial number at `index` of filterChoices(), or all (0 or an
    /// index out of range).
    void chooseFilter(int index);

    /// The journal line shown at a row (0 is the newest shown).
    const ChangeJournal::Entry &entryAt(int row) const;
    /// The row that shows a journal line, or -1 when the line is not shown.
    int rowOfLine(int line) const;

    /// One line about the file: where it is, where it will be when nothing has been recorded yet,
    /// or why it could not be read.
    QString locationText() const;
    /// "line N is not a record: why" for each line of the file that holds no record, in order.
    /// These are never filtered away: a line someone damaged is worth seeing whoever it was about.
    QStringList problemTexts() const;

    /// The record at a row in full, as caption and text: the instrument, the connection, who
    /// recorded it from where with which program, the file and the snapshot, each with its
    /// SHA-256 on a line of its own.
    QList<std::pair<QString, QString>> details(int row) const;
    /// The kind of table the record's snapshot holds, from its name; nothing when the record has
    /// no snapshot or its name ends in neither ".cal" nor ".spec".
    std::optional<TableKind> snapshotKind(int row) const;

    /// How a check of the chain came out, and the words for it.
    struct ChainCheck
    {
        bool intact = false;
        QString text;
    };
    /// Checks the file's chain of digests as the file is now.
    ChainCheck verifyChain() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    /// The serial numbers the journal holds, each once, sorted.
    QStringList serials() const;
    void applyFilter();

    QString m_path;
    bool m_exists = false;
    ChangeJournal::Contents m_contents;
    std::optional<QString> m_serial; ///< nothing: every instrument
    QList<int> m_shown;              ///< indexes into m_contents.entries, newest first
};
