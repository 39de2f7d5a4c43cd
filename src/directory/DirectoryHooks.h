#pragma once

#include <QString>

#include <functional>

// What the directory code hands to the outside world: its error reports (the window
// shows a message box, the command-line tool writes standard error, tests record them)
// and the chance to let pending window events run during long work.
struct DirectoryHooks {
    std::function<void(const QString &text)> Reporter;
    std::function<void()> EventPump;
};
