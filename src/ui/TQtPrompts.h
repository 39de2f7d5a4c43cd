#pragma once

#include "ui/TPrompts.h"

// The prompts as Qt dialogs.
class TQtPrompts : public TPrompts
{
public:
    void Error(QWidget *parent, const QString &text) override;
    void Info(QWidget *parent, const QString &text) override;
    void Report(QWidget *parent, const QString &text, const QString &serverWords) override;
    void Message(QWidget *parent, const QString &text) override;
    Answer Question(QWidget *parent, const QString &text) override;
    std::optional<QString> OpenFile(QWidget *parent, const FileRequest &request) override;
    std::optional<QString> SaveFile(QWidget *parent, const FileRequest &request) override;
    bool Print(QWidget *parent, QPrinter &printer) override;
    bool PrinterSetup(QWidget *parent, QPrinter &printer) override;
    std::optional<QString> Password(QWidget *parent, const QString &prompt) override;
};
