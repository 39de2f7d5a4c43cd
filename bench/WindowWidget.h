#pragma once

#include <QObject>
#include <QString>

#include <cstdio>
#include <cstdlib>

// The widget of a window with that object name; a benchmark cannot go on without it.
template <class T> T *WindowWidget(const QObject &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    if (!widget) {
        std::fprintf(stderr, "no widget %s\n", name);
        std::exit(1);
    }
    return widget;
}
