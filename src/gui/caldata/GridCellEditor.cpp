#include "gui/caldata/GridCellEditor.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>

namespace {

constexpr int kAsciiEnter = 13;
constexpr int kAsciiSpace = 32;
constexpr int kAsciiBackspace = 8;
constexpr int kAsciiDelete = 127;

} // namespace

GridCellEditor::GridCellEditor(QTableView *grid, QLineEdit *editor, Commit commit, QObject *parent)
    : QObject(parent), m_grid(grid), m_editor(editor), m_commit(std::move(commit))
{
    m_editor->setParent(m_grid->viewport());
    // Tab moves on to the window's next control, as it does in the instrument windows' grids.
    m_grid->setTabKeyNavigation(false);
    m_editor->setFrame(false);
    m_editor->hide();
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    m_editor->installEventFilter(this);

    // Leaving the cell hands the text back to the cell the editor was opened on.
    if (m_grid->selectionModel())
        connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { close(true); });
    if (m_grid->model()) {
        // A grid that is re-shaped under an open editor has no cell left to take its text.
        connect(m_grid->model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { close(false); });
    }
    // The editor stays over its cell while the grid scrolls.
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeOverCell(); });
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeOverCell(); });
}

bool GridCellEditor::isOpen() const
{
    return m_editor->isVisible();
}

void GridCellEditor::MSHFlexGridEdit(int KeyAscii)
{
    const QModelIndex cell = m_grid->currentIndex();
    if (!cell.isValid())
        return;
    m_cell = cell;
    if (KeyAscii >= 0 && KeyAscii <= kAsciiSpace) {
        m_editor->setText(cell.data(Qt::EditRole).toString());
        // Selected, the text is replaced by what is typed next; otherwise typing adds to it.
        if (m_selectAllOnOpen)
            m_editor->selectAll();
        else
            m_editor->end(false);
    } else {
        // The typed character stays unselected, or the next one would replace it.
        m_editor->setText(QString(QChar(KeyAscii)));
        m_editor->setCursorPosition(1);
    }
    placeOverCell();
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus(Qt::OtherFocusReason);
}

bool GridCellEditor::EditKeyCode(int KeyCode)
{
    switch (KeyCode) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        close(true);
        m_grid->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Escape:
        // Hidden before the grid takes the focus, so the typed text is dropped.
        close(false);
        m_grid->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Up:
        moveRows(-1);
        return true;
    case Qt::Key_Down:
        moveRows(+1);
        return true;
    default:
        return false;
    }
}

void GridCellEditor::moveRows(int by)
{
    close(true);
    m_grid->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row() + by;
    // The first and the last row only give the focus back.
    if (row < 0 || row >= m_grid->model()->rowCount())
        return;
    m_grid->setCurrentIndex(m_grid->model()->index(row, current.column()));
}

void GridCellEditor::close(bool commit)
{
    if (m_closing || !m_editor->isVisible())
        return;
    m_closing = true;
    if (commit && m_cell.isValid() && m_editor->text() != m_cell.data(Qt::EditRole).toString())
        m_commit(m_cell, m_editor->text());
    // Hiding a focused editor would hand the focus to the "next" widget, which for a grid means
    // stepping its current cell to the right: the grid takes the focus back first.
    if (m_editor->hasFocus())
        m_grid->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_closing = false;
}

void GridCellEditor::placeOverCell()
{
    if (!m_cell.isValid())
        return;
    // Just inside the cell's grid lines.
    m_editor->setGeometry(m_grid->visualRect(m_cell).adjusted(0, 0, -1, -1));
}

bool GridCellEditor::keyOnGrid(QKeyEvent *event)
{
    // Shortcuts (Ctrl+C and the like) stay with the grid.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.size() != 1)
        return false;
    const int ascii = text.at(0).unicode();
    // Enter, Backspace and the space open the editor on the cell's text; a printable character
    // replaces it. Other control keys (Tab, Escape) keep their usual meaning.
    if (ascii == kAsciiEnter || ascii == kAsciiBackspace || ascii == kAsciiSpace
        || (ascii > kAsciiSpace && ascii != kAsciiDelete)) {
        MSHFlexGridEdit(ascii);
        return true;
    }
    return false;
}

bool GridCellEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid) {
        if (event->type() == QEvent::KeyPress)
            return keyOnGrid(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusIn)
            close(true);
    } else if (watched == m_grid->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            const QModelIndex cell = m_grid->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            if (cell.isValid()) {
                m_grid->setCurrentIndex(cell);
                MSHFlexGridEdit(kAsciiSpace);
                return true;
            }
        }
    } else if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress)
            return EditKeyCode(static_cast<QKeyEvent *>(event)->key());
        if (event->type() == QEvent::FocusOut) {
            // A click on a button hands the text back, so a value typed just before "Save To
            // Calibrator" is saved; switching to another program leaves the editor open.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                close(true);
        }
    }
    return QObject::eventFilter(watched, event);
}
