#pragma once

#include <QObject>
#include <QPersistentModelIndex>

#include <functional>

class QLineEdit;
class QTableView;

/**
 * @brief The floating in-place editor of a data grid: a line edit that opens over the grid's
 * current cell when a key is typed on the grid or a cell is double-clicked, and hands its text
 * back when the grid takes the focus again or the current cell changes.
 *
 * Keys in the editor: Enter hands the text back, Escape drops it, Up and Down hand it back and
 * move one row. What "handing back" means (a changed text becomes pending) is the grid's model's
 * business, reached through the commit function.
 */
class GridCellEditor : public QObject
{
    Q_OBJECT
public:
    using Commit = std::function<void(const QModelIndex &cell, const QString &text)>;

    GridCellEditor(QTableView *grid, QLineEdit *editor, Commit commit, QObject *parent = nullptr);

    /// Opening with a control key or a space puts the caret after the cell's text; a grid whose
    /// editor should select the whole text instead, so that typing replaces it, sets this.
    void setSelectAllOnOpen(bool on) { m_selectAllOnOpen = on; }

    /// Opens the editor over the current cell. KeyAscii 0 to 32 (control keys and space): the
    /// editor takes the cell's text with the caret at its end; any other character: the editor
    /// holds just that character.
    void MSHFlexGridEdit(int KeyAscii);
    /// A key pressed in the editor; true when it was one of Enter, Escape, Up and Down.
    bool EditKeyCode(int KeyCode);

    bool isOpen() const;
    /// Hides the editor; with commit, a text that differs from the cell's goes to the cell.
    void close(bool commit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeOverCell();
    bool keyOnGrid(class QKeyEvent *event);
    void moveRows(int by);

    QTableView *m_grid;
    QLineEdit *m_editor;
    Commit m_commit;
    QPersistentModelIndex m_cell;
    bool m_selectAllOnOpen = false;
    bool m_closing = false;
};
