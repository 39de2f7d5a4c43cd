#include "ui/TConditionGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
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

QModelIndex TConditionGrid::Beside(const QModelIndex &index, int step) const
{
    int row = index.row();
    int column = index.column() + step;
    if (column >= columnCount()) {
        ++row;
        column = 0;
    } else if (column < 0) {
        --row;
        column = columnCount() - 1;
    }
    return model()->index(row, column);
}

QModelIndex TConditionGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // Taking the focus moves nothing: the cursor stays where a drop-down or a click left it.
    if (takingFocus_)
        return currentIndex();
    // A refused cell is passed over in the direction of the move, along the row for Left
    // and Right, on to the next or previous row for Tab and Shift+Tab, so that the
    // keyboard reaches every cell the rule opens; a cell that a drop-down edits ends the
    // move there, the drop-down taking the focus.
    const bool along = cursorAction == MoveRight || cursorAction == MoveLeft;
    const bool onward = cursorAction == MoveNext || cursorAction == MovePrevious;
    const int step = cursorAction == MoveRight || cursorAction == MoveNext ? 1 : -1;
    QModelIndex next;
    if (!onward)
        next = QTableWidget::moveCursor(cursorAction, modifiers);
    else if (currentIndex().isValid())
        next = Beside(currentIndex(), step);
    else
        next = model()->index(0, 0);
    while (next.isValid()) {
        if (Allowed(next))
            return next;
        if (!(along || onward) || next.column() == 1 || next.column() == 4)
            break;
        next = along ? model()->index(next.row(), next.column() + step) : Beside(next, step);
    }
    return currentIndex();
}

void TConditionGrid::keyPressEvent(QKeyEvent *event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    const bool forward = event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
    const QModelIndex before = currentIndex();
    shown_ = nullptr;
    const QModelIndex next = moveCursor(forward ? MoveNext : MovePrevious, event->modifiers());
    if (next.isValid() && next != before) {
        setCurrentIndex(next);
        event->accept();
    } else if (shown_) {
        event->accept(); // a drop-down took the focus
    } else {
        event->ignore(); // past the first or last cell: the focus leaves the grid
    }
}

void TConditionGrid::focusInEvent(QFocusEvent *event)
{
    takingFocus_ = true;
    QTableWidget::focusInEvent(event);
    takingFocus_ = false;
}

void TConditionGrid::AddDropDown(QComboBox *dropDown)
{
    dropDowns_.append(dropDown);
    dropDown->installEventFilter(this);
}

void TConditionGrid::ShowDropDown(QComboBox *dropDown, int column, int row)
{
    for (QComboBox *other : std::as_const(dropDowns_)) {
        if (other != dropDown)
            other->hide();
    }
    dropDown->setGeometry(CellRect(column, row));
    dropDownCell_ = model()->index(row - 1, column);
    shown_ = dropDown;
    dropDown->show();
    dropDown->raise();
    dropDown->setFocus();
}

void TConditionGrid::CloseDropDown(QComboBox *dropDown)
{
    if (dropDownCell_.isValid())
        selectionModel()->setCurrentIndex(dropDownCell_, QItemSelectionModel::ClearAndSelect);
    setFocus();
    dropDown->hide();
}

bool TConditionGrid::focusNextPrevChild(bool next)
{
    // A drop-down hidden with the focus hands it on through here: the focus comes back to
    // the grid, where a Tab would move the cursor to another cell.
    QWidget *focus = QApplication::focusWidget();
    if (focus && !focus->isVisible() && dropDowns_.contains(qobject_cast<QComboBox *>(focus))) {
        setFocus();
        return true;
    }
    return QTableWidget::focusNextPrevChild(next);
}

bool TConditionGrid::eventFilter(QObject *watched, QEvent *event)
{
    auto *dropDown = qobject_cast<QComboBox *>(watched);
    if (event->type() != QEvent::KeyPress || !dropDowns_.contains(dropDown))
        return QTableWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The choice shown is the one confirmed, in the cell under the drop-down.
        if (dropDownCell_.isValid() && dropDown->currentText() != dropDownCell_.data().toString())
            emit dropDown->activated(dropDown->currentIndex());
        CloseDropDown(dropDown);
        return true;
    case Qt::Key_Escape:
        CloseDropDown(dropDown);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        CloseDropDown(dropDown);
        focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        CloseDropDown(dropDown);
        QKeyEvent move(QEvent::KeyPress, key->key(), Qt::NoModifier);
        keyPressEvent(&move);
        return true;
    }
    default:
        return false;
    }
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
