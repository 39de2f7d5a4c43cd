#pragma once

#include <QTableWidget>

#include <functional>

class QComboBox;

// The conditions grid: a fixed title row and a fixed first column, and a veto on every
// cell that is about to become current, by mouse, keyboard or program. Rows and columns
// are counted as the window description counts them: row 0 is the title row, so the
// first property is row 1.
class TConditionGrid : public QTableWidget
{
    Q_OBJECT

public:
    explicit TConditionGrid(QWidget *parent = nullptr);

    // Asked before a cell becomes current; false refuses it (the current cell stays).
    std::function<bool(int column, int row)> SelectCell;

    // The text of a cell (the title row included); setting it adds the item as needed.
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString &text);
    // Rows of the grid with the title row, as the description counts them.
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int rows) { setRowCount(rows - 1); }
    // Makes the cell current when the veto allows it; whether it did.
    bool MakeCurrent(int column, int row);
    // The current cell's row and column (row 0 when there is none).
    int CurrentRow() const { return currentRow() + 1; }
    int CurrentColumn() const { return currentColumn(); }
    // The width the texts of a column need.
    int ColumnTextWidth(int column) const { return sizeHintForColumn(column); }
    // The rectangle of a cell in the coordinates of the grid's viewport.
    QRect CellRect(int column, int row) const { return visualRect(model()->index(row - 1, column)); }

    // A drop-down (a child of the viewport) that edits cells in the place of the grid's
    // own editor. Its keys never reach another row: Return, Enter and Escape close it and
    // leave the grid's cursor on the cell it edited (Return and Enter first confirm the
    // choice shown); Tab, Shift+Tab, Left and Right close it and move on from that cell
    // as the grid does; Up and Down choose, as in any closed drop-down.
    void AddDropDown(QComboBox *dropDown);
    // Lays the drop-down over the cell, shows it and gives it the focus.
    void ShowDropDown(QComboBox *dropDown, int column, int row);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Allowed(const QModelIndex &index);
    // The cell after (step 1) or before (step -1) index, row after row.
    QModelIndex Beside(const QModelIndex &index, int step) const;
    // Closes the drop-down and puts the grid's cursor, with the focus, on the cell it
    // edited, without asking the veto: the cell is the drop-down's.
    void CloseDropDown(QComboBox *dropDown);

    QList<QComboBox *> dropDowns_;
    // The cell the drop-down shown last edits, and that drop-down.
    QPersistentModelIndex dropDownCell_;
    QComboBox *shown_ = nullptr;
    // Set while the grid takes the focus, when no move is asked for.
    bool takingFocus_ = false;
};
