#include "ui/TQtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace {

// "Fichiers textes (*.TXT)|*.TXT|Tous (*.*)|*.*" as Qt writes it: one "name (patterns)"
// per line; the patterns are the description's own.
QString QtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!name.contains(QLatin1Char('(')))
            name += QStringLiteral(" (%1)").arg(patterns);
        entries.append(name);
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> RunFileDialog(QWidget *parent, const TPrompts::FileRequest &request, bool save)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without an extension takes the one of the file type chosen, so that
    // choosing "Classeur Excel (*.xlsx)" saves a workbook.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString &filter) {
        static const QRegularExpression onePattern(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
        const QRegularExpressionMatch match = onePattern.match(filter);
        dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1) : request.defaultSuffix);
    });
    dialog.setDirectory(request.folder);
    if (!request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

void TQtPrompts::Error(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

void TQtPrompts::Info(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

void TQtPrompts::Report(QWidget *parent, const QString &text, const QString &serverWords)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    if (!serverWords.isEmpty())
        box.setDetailedText(serverWords);
    box.exec();
}

void TQtPrompts::Message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

TPrompts::Answer TQtPrompts::Question(QWidget *parent, const QString &text)
{
    switch (QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> TQtPrompts::OpenFile(QWidget *parent, const FileRequest &request)
{
    return RunFileDialog(parent, request, false);
}

std::optional<QString> TQtPrompts::SaveFile(QWidget *parent, const FileRequest &request)
{
    return RunFileDialog(parent, request, true);
}

bool TQtPrompts::Print(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    // The whole text is printed: a page range would be ignored, so none is offered.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

bool TQtPrompts::PrinterSetup(QWidget *parent, QPrinter &printer)
{
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> TQtPrompts::Password(QWidget *parent, const QString &prompt)
{
    bool ok = false;
    const QString password = QInputDialog::getText(parent, QApplication::applicationDisplayName(), prompt,
                                                   QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}
