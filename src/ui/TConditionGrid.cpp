#include "ui/TConditionGrid.h"

#include <QHeaderView>
#include <QMouseEvent>

TConditionGrid::TConditionGrid(QWidget *parent) : QTableWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setHighlightSections(false);
}

QString TConditionGrid::Cell(int column, int row) const
{
    if (row == 0) {
        const QTableWidgetItem *title = horizontalHeaderItem(column);
        return title ? title->text() : QString();
    }
    const QTableWidgetItem *cell = item(row - 1, column);
    return cell ? cell->text() : QString();
}

void TConditionGrid::SetCell(int column, int row, const QString &text)
{
    if (row == 0) {
        setHorizontalHeaderItem(column, new QTableWidgetItem(text));
        return;
    }
    QTableWidgetItem *cell = item(row - 1, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        // The first column is fixed, and the drop-downs edit Condition, Affiche; Type is
        // never edited.
        if (column != 2 && column != 3)
            cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
        setItem(row - 1, column, cell);
    }
    cell->setText(text);
}

bool TConditionGrid::MakeCurrent(int column, int row)
{
    const QModelIndex index = model()->index(row - 1, column);
    if (!index.isValid() || !Allowed(index))
        return false;
    setCurrentIndex(index);
    return true;
}

bool TConditionGrid::Allowed(const QModelIndex &index)
{
    if (index.column() == 0)
        return false;
    return !SelectCell || SelectCell(index.column(), index.row() + 1);
}

QModelIndex TConditionGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // A refused cell is passed over in the direction of a move along the row, so that
    // the keyboard reaches every cell the rule opens; a cell that a drop-down edits ends
    // the move there, the drop-down taking the focus.
    int step = 0;
    if (cursorAction == MoveRight || cursorAction == MoveNext)
        step = 1;
    else if (cursorAction == MoveLeft || cursorAction == MovePrevious)
        step = -1;
    QModelIndex next = QTableWidget::moveCursor(cursorAction, modifiers);
    while (next.isValid()) {
        if (Allowed(next))
            return next;
        if (step == 0 || next.column() == 1 || next.column() == 4)
            break;
        const int column = next.column() + step;
        if (column < 0 || column >= columnCount())
            break;
        next = model()->index(next.row(), column);
    }
    return currentIndex();
}

void TConditionGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !Allowed(index)) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void TConditionGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex()) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}
