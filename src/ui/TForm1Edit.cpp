#include "ui/TForm1.h"

#include "ui/TFindDialog.h"
#include "ui/TReplaceDialog.h"
#include "ui/TReplaceRequest.h"
#include "ui/TSearchOptions.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Shows a modeless dialog at the top right corner of the results view.
void ShowBeside(QDialog *dialog, const QWidget *view)
{
    dialog->move(view->parentWidget()->mapToGlobal(QPoint(view->x() + view->width(), view->y())));
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

void TForm1::Edition1Click()
{
    const bool selection = Memo1->textCursor().hasSelection();
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    Dfaire1->setEnabled(Memo1->document()->isUndoAvailable());
    Couper1->setEnabled(selection);
    Copier1->setEnabled(selection);
    Coller1->setEnabled(clip && clip->hasText());
    Effacer1->setEnabled(selection);
    Chercher1->setEnabled(true);
    Remplacer1->setEnabled(true);
}

void TForm1::Dfaire1Click()
{
    Memo1->undo();
}

void TForm1::Couper1Click()
{
    Memo1->cut();
}

void TForm1::Copier1Click()
{
    Memo1->copy();
}

void TForm1::Coller1Click()
{
    Memo1->paste();
}

void TForm1::Effacer1Click()
{
    Memo1->textCursor().removeSelectedText();
}

void TForm1::Chercher1Click()
{
    if (!FindDialog1) {
        FindDialog1 = new TFindDialog(this);
        connect(FindDialog1, &TFindDialog::Find, this, &TForm1::FindDialog1Find);
    }
    ShowBeside(FindDialog1, Memo1);
}

void TForm1::Remplacer1Click()
{
    if (!ReplaceDialog1) {
        ReplaceDialog1 = new TReplaceDialog(this);
        connect(ReplaceDialog1, &TReplaceDialog::Replace, this, &TForm1::ReplaceDialog1Replace);
    }
    ShowBeside(ReplaceDialog1, Memo1);
}

void TForm1::FindDialog1Find()
{
    const QTextCursor selection = Memo1->textCursor();
    const int start = selection.hasSelection() ? selection.selectionEnd() : 0;
    QTextDocument::FindFlags flags;
    if (FindDialog1->Options->MatchCase())
        flags |= QTextDocument::FindCaseSensitively;
    if (FindDialog1->Options->WholeWord())
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = Memo1->document()->find(FindDialog1->FindText(), start, flags);
    if (found.isNull())
        return;
    Memo1->setFocus();
    Memo1->setTextCursor(found);
}

void TForm1::ReplaceDialog1Replace(bool all)
{
    const QString find = ReplaceDialog1->FindText();
    TReplaceRequest request(*Memo1->document(), find, ReplaceDialog1->ReplaceText());
    if (!all) {
        if (request.ReplaceNext())
            Memo1->setTextCursor(request.Cursor());
        else
            ShowError(QStringLiteral("Ne peut trouver \"") + find + QStringLiteral("\"."));
        return;
    }
    const int count = request.ReplaceAll();
    if (count > 0)
        Memo1->setTextCursor(request.Cursor());
    if (count == 0)
        ShowError(QStringLiteral("Ne peut pas trouver \"%1 \".").arg(find));
    else if (request.Loop())
        ShowError(QStringLiteral("Boucle infinie detectée. remplacement annulé."));
    else
        ShowInfo(QStringLiteral("%1 remplacements effectués.").arg(count));
}
