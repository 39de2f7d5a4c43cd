#pragma once

#include <QApplication>
#include <QCursor>

// The hourglass cursor for the life of the object: restored also when the work throws.
class TBusyCursor
{
public:
    TBusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};
