#include "records/TraceLogFilter.h"

#include "records/TraceLog.h"

#include <algorithm>

TraceLogFilter::TraceLogFilter(QObject *parent) : QSortFilterProxyModel(parent) {}

void TraceLogFilter::setText(const QString &text)
{
    m_text = text;
    invalidateRowsFilter();
}

void TraceLogFilter::setErrorsOnly(bool errorsOnly)
{
    m_errorsOnly = errorsOnly;
    invalidateRowsFilter();
}

QList<int> TraceLogFilter::sourceRows(const QList<int> &shownRows) const
{
    QList<int> rows;
    for (int row : shownRows)
        rows << mapToSource(index(row, 0)).row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool TraceLogFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const auto *log = qobject_cast<const TraceLog *>(sourceModel());
    if (!log)
        return true;
    const TraceLine &line = log->line(sourceRow);
    if (m_errorsOnly && !line.failed)
        return false;
    if (m_text.isEmpty())
        return true;
    for (const QString *field : {&line.text, &line.interface, &line.direction, &line.outcome}) {
        if (field->contains(m_text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
