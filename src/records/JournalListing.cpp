#include "records/JournalListing.h"

#include "records/JournalWording.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kAllInstruments = QStringLiteral("All instruments");
const QString kNoSerial = QStringLiteral("(no serial number)");

QString fileText(const std::optional<FileReference> &file)
{
    if (!file)
        return QStringLiteral("none");
    return QStringLiteral("%1\nSHA-256 %2").arg(file->path, file->sha256);
}

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

JournalListing::JournalListing(const QString &path, QObject *parent) : QAbstractTableModel(parent), m_path(path)
{
    reload();
}

void JournalListing::reload()
{
    beginResetModel();
    m_exists = QFileInfo::exists(m_path);
    m_contents = ChangeJournal(m_path).records();
    if (m_serial && !serials().contains(*m_serial))
        m_serial.reset();
    applyFilter();
    endResetModel();
}

QStringList JournalListing::serials() const
{
    QStringList found;
    for (const ChangeJournal::Entry &entry : m_contents.entries)
        found << entry.record.instrument.serial;
    found.removeDuplicates();
    std::sort(found.begin(), found.end());
    return found;
}

QStringList JournalListing::filterChoices() const
{
    QStringList choices{kAllInstruments};
    for (const QString &serial : serials())
        choices << (serial.isEmpty() ? kNoSerial : serial);
    return choices;
}

int JournalListing::filterIndex() const
{
    return m_serial ? int(serials().indexOf(*m_serial)) + 1 : 0;
}

void JournalListing::chooseFilter(int index)
{
    const QStringList all = serials();
    beginResetModel();
    if (index >= 1 && index <= all.size())
        m_serial = all.at(index - 1);
    else
        m_serial.reset();
    applyFilter();
    endResetModel();
}

void JournalListing::applyFilter()
{
    m_shown.clear();
    for (qsizetype i = m_contents.entries.size() - 1; i >= 0; --i) {
        if (!m_serial || m_contents.entries.at(i).record.instrument.serial == *m_serial)
            m_shown << int(i);
    }
}

const ChangeJournal::Entry &JournalListing::entryAt(int row) const
{
    return m_contents.entries.at(m_shown.at(row));
}

int JournalListing::rowOfLine(int line) const
{
    for (int row = 0; row < m_shown.size(); ++row) {
        if (entryAt(row).line == line)
            return row;
    }
    return -1;
}

QString JournalListing::locationText() const
{
    if (!m_contents.readable)
        return m_contents.error;
    if (!m_exists)
        return QStringLiteral("Nothing has been recorded on this computer yet; the journal will be kept in %1")
            .arg(m_path);
    return QStringLiteral("Journal: %1").arg(m_path);
}

QStringList JournalListing::problemTexts() const
{
    QStringList texts;
    for (const ChangeJournal::Problem &problem : m_contents.problems)
        texts << JournalWording::notARecord(problem);
    return texts;
}

QList<std::pair<QString, QString>> JournalListing::details(int row) const
{
    const JournalRecord &r = entryAt(row).record;
    const QString program = QStringList{r.programName, r.programVersion}.join(QLatin1Char(' ')).trimmed();
    return {
        {QStringLiteral("Instrument"), orDash(r.instrument.identity)},
        {QStringLiteral("Connection"), orDash(r.connection)},
        {QStringLiteral("Recorded"),
         QStringLiteral("line %1, by %2 on %3 with %4")
             .arg(entryAt(row).line)
             .arg(orDash(r.user), orDash(r.host), orDash(program))},
        {QStringLiteral("File"), fileText(r.file)},
        {QStringLiteral("Snapshot"), fileText(r.snapshot)},
    };
}

std::optional<TableKind> JournalListing::snapshotKind(int row) const
{
    const std::optional<FileReference> &snapshot = entryAt(row).record.snapshot;
    TableKind kind;
    if (!snapshot || !tableKindFromWord(QFileInfo(snapshot->path).suffix().toLower(), &kind))
        return std::nullopt;
    return kind;
}

JournalListing::ChainCheck JournalListing::verifyChain() const
{
    const ChangeJournal::Verification check = ChangeJournal(m_path).verify();
    return {check.readable && check.intact, JournalWording::verification(check, m_path)};
}

int JournalListing::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int JournalListing::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : JournalWording::SummaryColumnCount;
}

QVariant JournalListing::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size() || role != Qt::DisplayRole)
        return {};
    return JournalWording::summary(entryAt(index.row()).record).value(index.column());
}

QVariant JournalListing::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList headings = {QStringLiteral("Time (UTC)"), QStringLiteral("User"),
                                         QStringLiteral("Operation"),  QStringLiteral("Serial Number"),
                                         QStringLiteral("Changes"),    QStringLiteral("Outcome")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return headings.value(section);
}
