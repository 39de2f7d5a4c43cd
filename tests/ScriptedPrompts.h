#pragma once

#include "ui/TPrompts.h"

#include <QList>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

// Prompts for GUI tests: every text shown is recorded with its kind ("error", "info",
// "report", "message", "question"), and answers are taken from queues filled in advance
// (a question without a queued answer is cancelled, a file dialog without one too).
class ScriptedPrompts : public TPrompts
{
public:
    struct Shown {
        QString kind;
        QString text;
        QString detail; // a report's server words
    };

    void Error(QWidget *, const QString &text) override { shown.append({QStringLiteral("error"), text, {}}); }
    void Info(QWidget *, const QString &text) override { shown.append({QStringLiteral("info"), text, {}}); }
    void Report(QWidget *, const QString &text, const QString &serverWords) override
    {
        shown.append({QStringLiteral("report"), text, serverWords});
    }
    void Message(QWidget *, const QString &text) override { shown.append({QStringLiteral("message"), text, {}}); }
    Answer Question(QWidget *, const QString &text) override
    {
        shown.append({QStringLiteral("question"), text, {}});
        return Take(answers, Answer::Cancel);
    }
    std::optional<QString> OpenFile(QWidget *, const FileRequest &request) override
    {
        fileRequests.append(request);
        return Take(files, std::optional<QString>());
    }
    std::optional<QString> SaveFile(QWidget *, const FileRequest &request) override
    {
        fileRequests.append(request);
        return Take(files, std::optional<QString>());
    }
    // A queued PDF path confirms the print dialog with the printer writing that file;
    // otherwise the answer comes from printAnswers.
    bool Print(QWidget *, QPrinter &printer) override
    {
        printers.append(&printer);
        if (pdfPaths.empty())
            return Take(printAnswers, false);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Take(pdfPaths, QString()));
        return true;
    }
    // onPrinterSetup, when set, makes the user's choices before the answer is taken.
    bool PrinterSetup(QWidget *, QPrinter &printer) override
    {
        printers.append(&printer);
        if (onPrinterSetup)
            onPrinterSetup(printer);
        return Take(printAnswers, false);
    }
    std::optional<QString> Password(QWidget *, const QString &prompt) override
    {
        shown.append({QStringLiteral("password"), prompt, {}});
        return Take(passwords, std::optional<QString>());
    }

    // The texts shown of one kind, in order.
    QStringList Texts(const QString &kind) const
    {
        QStringList texts;
        for (const Shown &s : shown) {
            if (s.kind == kind)
                texts.append(s.text);
        }
        return texts;
    }

    QList<Shown> shown;
    QList<FileRequest> fileRequests;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files;
    std::deque<bool> printAnswers;
    std::deque<QString> pdfPaths;
    std::function<void(QPrinter &)> onPrinterSetup;
    // The printer each print or printer set-up dialog was shown on, in order.
    QList<QPrinter *> printers;
    std::deque<std::optional<QString>> passwords;

private:
    template <typename T> static T Take(std::deque<T> &queue, T otherwise)
    {
        if (queue.empty())
            return otherwise;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
