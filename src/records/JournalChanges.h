#pragma once

#include "records/JournalRecord.h"

#include <QAbstractTableModel>
#include <QList>

/**
 * @brief The values one journal record says were changed, a row each: table, range, column, the
 * value before and after, and whether reading it back confirmed it.
 */
class JournalChanges : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    /// Shows these changes in place of the ones shown (none to empty the list).
    void show(const QList<TableChange> &changes);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<TableChange> m_changes;
};
