#pragma once

#include "ui/TPrompts.h"

#include <QString>

#include <cstdio>

// Prompts for benchmarks: they answer nothing (No, cancel), keep the last text shown and
// count the texts; with echo, the first five go to standard error.
struct QuietPrompts : TPrompts {
    bool echo = false;
    int shown = 0;
    QString last;

    void Error(QWidget *, const QString &text) override { Show(text); }
    void Info(QWidget *, const QString &text) override { Show(text); }
    void Report(QWidget *, const QString &text, const QString &) override { Show(text); }
    void Message(QWidget *, const QString &text) override { Show(text); }
    Answer Question(QWidget *, const QString &) override { return Answer::No; }
    std::optional<QString> OpenFile(QWidget *, const FileRequest &) override { return std::nullopt; }
    std::optional<QString> SaveFile(QWidget *, const FileRequest &) override { return std::nullopt; }
    bool Print(QWidget *, QPrinter &) override { return false; }
    bool PrinterSetup(QWidget *, QPrinter &) override { return false; }
    std::optional<QString> Password(QWidget *, const QString &) override { return std::nullopt; }

    void Show(const QString &text)
    {
        last = text;
        if (++shown <= 5 && echo)
            std::fprintf(stderr, "shown: %s\n", qPrintable(text));
    }
};
