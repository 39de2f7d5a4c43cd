#pragma once

#include <QListWidget>

#include <functional>

// A list of property names that takes drops from one other list only: a drag dropped
// on the list it started from is refused, so drag and drop never reorders. A drop runs
// the accepted action instead of moving items itself.
class TPropertyList : public QListWidget
{
    Q_OBJECT

public:
    explicit TPropertyList(QWidget *parent = nullptr);

    // The list whose drags this one accepts, and what a drop does.
    void AcceptDropsFrom(const QListWidget *source, std::function<void()> onDrop);

    // Whether a drag that started in source may be dropped here.
    bool AcceptsDragFrom(const QObject *source) const { return source && source == source_; }
    // What a drop from source does: the action when the drag is accepted.
    bool DropFrom(const QObject *source);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    const QListWidget *source_ = nullptr;
    std::function<void()> onDrop_;
};
