#pragma once

#include <QString>

#include <functional>

// What the directory code hands to the outside world: its error reports (the window
// shows a message box, the command-line tool writes standard error, tests record them)
// and the chance to let pending window events run during long work.
struct DirectoryHooks {
    // Takes a report with the server's words on it (if any) as its last line.
    std::function<void(const QString &text)> Reporter;
    std::function<void()> EventPump;
    // When set, takes the reports instead of Reporter, with the server's words apart
    // (empty when the client has none): the window shows them as the box's detail.
    std::function<void(const QString &text, const QString &serverWords)> WordsReporter;
};
