#pragma once

#include <QSortFilterProxyModel>

/**
 * @brief What of the communication log is shown: lines whose text, interface, direction or
 * outcome contain the filter text (any case), and with "errors only" just the failures.
 */
class TraceLogFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit TraceLogFilter(QObject *parent = nullptr);

    void setText(const QString &text);
    void setErrorsOnly(bool errorsOnly);
    bool errorsOnly() const { return m_errorsOnly; }

    /// The source rows of these shown rows, in order.
    QList<int> sourceRows(const QList<int> &shownRows) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_text;
    bool m_errorsOnly = false;
};
