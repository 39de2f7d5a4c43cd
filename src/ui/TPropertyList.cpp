#include "ui/TPropertyList.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

TPropertyList::TPropertyList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

void TPropertyList::AcceptDropsFrom(const QListWidget *source, std::function<void()> onDrop)
{
    source_ = source;
    onDrop_ = std::move(onDrop);
}

bool TPropertyList::DropFrom(const QObject *source)
{
    if (!AcceptsDragFrom(source))
        return false;
    if (onDrop_)
        onDrop_();
    return true;
}

void TPropertyList::dragEnterEvent(QDragEnterEvent *event)
{
    if (AcceptsDragFrom(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPropertyList::dragMoveEvent(QDragMoveEvent *event)
{
    if (AcceptsDragFrom(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPropertyList::dropEvent(QDropEvent *event)
{
    // The items are never moved by the view itself: the page's action does the work.
    if (DropFrom(event->source())) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
    } else {
        event->ignore();
    }
}
