#pragma once

#include "platform/TraceLine.h"
#include "platform/TraceSettings.h"

#include <QAbstractTableModel>
#include <QMutex>
#include <QTimer>

#include <deque>

/**
 * @brief The lines of the I/O trace the communication log shows: a table that takes lines from
 * any thread, shows them in batches, and holds at most a set number (the oldest go first).
 *
 * A factor load makes hundreds of exchanges a second on the work thread; one insertion per line
 * would keep the window busy repainting. append() only queues; flush() (every 100 ms on the
 * model's thread, or when a test calls it) moves the queue into the table with one removal of the
 * oldest rows and one insertion. While paused, lines queue and appear on resume.
 */
class TraceLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        TimeColumn,
        DurationColumn,
        InterfaceColumn,
        DirectionColumn,
        TextColumn,
        OutcomeColumn,
        ColumnCount
    };
    /// True for a line of a failed exchange or a lost connection.
    static constexpr int FailedRole = Qt::UserRole + 1;

    static constexpr int kFlushIntervalMs = 100;

    explicit TraceLog(int capacity = TraceSettingDefault::kLogCapacity, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// Queues lines for the next flush; safe from any thread.
    void append(const QList<TraceLine> &lines);
    /// Moves the queued lines into the table (unless paused).
    void flush();

    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    /// Empties the table and the queue.
    void clear();

    int capacity() const { return m_capacity; }
    void setCapacity(int capacity);

    const TraceLine &line(int row) const { return m_lines[std::size_t(row)]; }
    /// The lines of these rows, in order (for Copy and Save As).
    QList<TraceLine> lines(const QList<int> &rows) const;
    QList<TraceLine> allLines() const;

private:
    void dropOldest(int count);

    int m_capacity;
    bool m_paused = false;
    std::deque<TraceLine> m_lines;
    mutable QMutex m_queueMutex;
    QList<TraceLine> m_queue;
    QTimer m_flushTimer;
};
