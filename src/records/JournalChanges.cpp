#include "records/JournalChanges.h"

#include "records/JournalWording.h"

void JournalChanges::show(const QList<TableChange> &changes)
{
    beginResetModel();
    m_changes = changes;
    endResetModel();
}

int JournalChanges::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_changes.size());
}

int JournalChanges::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : JournalWording::ChangeColumnCount;
}

QVariant JournalChanges::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_changes.size())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() != JournalWording::ChangeTable
        && index.column() != JournalWording::ChangeVerified)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return JournalWording::change(m_changes.at(index.row())).value(index.column());
}

QVariant JournalChanges::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList headings = {QStringLiteral("Table"),  QStringLiteral("Range"), QStringLiteral("Column"),
                                         QStringLiteral("Before"), QStringLiteral("After"), QStringLiteral("Verified")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return headings.value(section);
}
