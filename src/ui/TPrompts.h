#pragma once

#include <QString>

#include <optional>

class QPrinter;
class QWidget;

// Every modal prompt of the window goes through this interface: the real one shows Qt
// dialogs, the tests' one takes answers queued in advance and records the texts shown.
class TPrompts
{
public:
    enum class Answer { Yes, No, Cancel };

    // What an open or save dialog is given. The filter is written as the window
    // description writes it: "Fichiers textes (*.TXT)|*.TXT|Tous (*.*)|*.*".
    struct FileRequest {
        QString filter;
        QString defaultSuffix; // without the dot
        QString proposedName;
        QString folder; // the folder the dialog starts in
        bool overwritePrompt = true;
    };

    virtual ~TPrompts() = default;

    // The error box (one OK button).
    virtual void Error(QWidget *parent, const QString &text) = 0;
    // The information box (one OK button).
    virtual void Info(QWidget *parent, const QString &text) = 0;
    // A report of the directory (a message box with one OK button), with the server's
    // words on it as the box's detail (none when empty).
    virtual void Report(QWidget *parent, const QString &text, const QString &serverWords) = 0;
    // A plain message box with one OK button.
    virtual void Message(QWidget *parent, const QString &text) = 0;
    // A confirmation box with Yes, No and Cancel.
    virtual Answer Question(QWidget *parent, const QString &text) = 0;
    // The chosen path; nothing when the user cancelled.
    virtual std::optional<QString> OpenFile(QWidget *parent, const FileRequest &request) = 0;
    virtual std::optional<QString> SaveFile(QWidget *parent, const FileRequest &request) = 0;
    // The print dialog and the printer set-up dialog on printer; false when cancelled.
    virtual bool Print(QWidget *parent, QPrinter &printer) = 0;
    virtual bool PrinterSetup(QWidget *parent, QPrinter &printer) = 0;
    // The password of a directory server; nothing when the user cancelled.
    virtual std::optional<QString> Password(QWidget *parent, const QString &prompt) = 0;
};
