#include "GuiHelpers.h"

#include "ui/TFindDialog.h"
#include "ui/TReplaceDialog.h"
#include "ui/TSearchOptions.h"

#include <QClipboard>
#include <QGroupBox>
#include <QMimeData>
#include <QRadioButton>

namespace {

// The window on its results page with this text in the results view.
struct ResultsWindow : WindowFixture {
    explicit ResultsWindow(const QString &text)
    {
        ToResultsPage(form.get());
        Find<QPlainTextEdit>(form.get(), "Memo1")->setPlainText(text);
    }
    // Alt+E opens the Edit menu, which sets its items for the text and the clipboard,
    // and Escape closes it.
    void OpenEditMenu() { OpenAndCloseMenu(form.get(), Qt::Key_E, QStringLiteral("Edition1")); }
    QString Text() const { return Find<QPlainTextEdit>(form.get(), "Memo1")->toPlainText(); }
    // The selection of the results view as (start, length).
    QPair<int, int> Selection() const
    {
        const QTextCursor c = Find<QPlainTextEdit>(form.get(), "Memo1")->textCursor();
        return {c.selectionStart(), c.selectionEnd() - c.selectionStart()};
    }
    void Select(int start, int length)
    {
        QTextCursor c = Find<QPlainTextEdit>(form.get(), "Memo1")->textCursor();
        c.setPosition(start);
        c.setPosition(start + length, QTextCursor::KeepAnchor);
        Find<QPlainTextEdit>(form.get(), "Memo1")->setTextCursor(c);
    }
    TFindDialog *FindDialog()
    {
        Find<QAction>(form.get(), "Chercher1")->trigger();
        return Find<TFindDialog>(form.get(), QStringLiteral("FindDialog1"));
    }
    TReplaceDialog *ReplaceDialog()
    {
        Find<QAction>(form.get(), "Remplacer1")->trigger();
        return Find<TReplaceDialog>(form.get(), QStringLiteral("ReplaceDialog1"));
    }
    void FindNext(const QString &find, bool matchCase = false, bool wholeWord = false)
    {
        TFindDialog *d = FindDialog();
        d->FindEdit->setText(find);
        d->Options->MatchCaseCBX->setChecked(matchCase);
        d->Options->WholeWordCBX->setChecked(wholeWord);
        QTest::mouseClick(d->FindNextBtn, Qt::LeftButton);
    }
    void Replace(const QString &find, const QString &replace, bool all)
    {
        TReplaceDialog *d = ReplaceDialog();
        d->FindEdit->setText(find);
        d->ReplaceEdit->setText(replace);
        QTest::mouseClick(all ? d->ReplaceAllBtn : d->ReplaceBtn, Qt::LeftButton);
    }
};

const QString kLoop = QStringLiteral("Boucle infinie detectée. remplacement annulé.");

} // namespace

class TestUiEdit : public QObject
{
    Q_OBJECT

private slots:
    // The first search starts at the beginning even with the caret further on; each
    // next one after the occurrence found, across lines; the last finds nothing and
    // leaves the selection, saying nothing.
    void findStartsAtTheBeginningThenContinuesAfterTheOccurrence()
    {
        ResultsWindow w(QStringLiteral("abc abc\nxabc"));
        w.Select(5, 0);
        w.FindNext(QStringLiteral("abc"));
        QCOMPARE(w.Selection(), qMakePair(0, 3));
        w.FindNext(QStringLiteral("abc"));
        QCOMPARE(w.Selection(), qMakePair(4, 3));
        w.FindNext(QStringLiteral("abc"));
        QCOMPARE(w.Selection(), qMakePair(9, 3));
        w.FindNext(QStringLiteral("abc"));
        QCOMPARE(w.Selection(), qMakePair(9, 3));
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void findHonoursMatchCaseAndWholeWord_data()
    {
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<int>("start");
        QTest::newRow("neither") << false << false << 0;
        QTest::newRow("case") << true << false << 5;
        QTest::newRow("word") << false << true << 10;
        QTest::newRow("both") << true << true << 14;
    }
    void findHonoursMatchCaseAndWholeWord()
    {
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(int, start);
        ResultsWindow w(QStringLiteral("Abcd abcd ABC abc"));
        w.FindNext(QStringLiteral("abc"), matchCase, wholeWord);
        QCOMPARE(w.Selection(), qMakePair(start, 3));
    }

    // Both not-found messages, byte for byte, and the text left as it was; an empty find
    // text is never found.
    void replaceSaysWhenTheTextIsNotFound()
    {
        ResultsWindow w(QStringLiteral("abc"));
        w.Replace(QStringLiteral("xyz"), QStringLiteral("u"), false);
        w.Replace(QStringLiteral("xyz"), QStringLiteral("u"), true);
        w.Replace(QString(), QStringLiteral("u"), true);
        QCOMPARE(w.prompts.Texts(QStringLiteral("error")), QStringList({QStringLiteral("Ne peut trouver \"xyz\"."),
                                                                        QStringLiteral("Ne peut pas trouver \"xyz \"."),
                                                                        QStringLiteral("Ne peut pas trouver \" \".")}));
        QCOMPARE(w.Text(), QStringLiteral("abc"));
    }

    // Each Replace press replaces the first occurrence of the whole text, wherever the
    // caret is, and never counts as a loop.
    void replaceStartsFromTheBeginningAtEachPress()
    {
        ResultsWindow w(QStringLiteral("a b a"));
        w.Select(5, 0);
        w.Replace(QStringLiteral("a"), QStringLiteral("ab"), false);
        QCOMPARE(w.Text(), QStringLiteral("ab b a"));
        w.Replace(QStringLiteral("a"), QStringLiteral("ab"), false);
        QCOMPARE(w.Text(), QStringLiteral("abb b a"));
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void replaceAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        const QString info = QStringLiteral("info");
        const QString error = QStringLiteral("error");
        // Occurrences made by a replacement just before it are found again.
        QTest::newRow("new occurrence before") << "aab"
                                               << "ab"
                                               << "ba"
                                               << "baa" << info << "2 remplacements effectués.";
        QTest::newRow("over lines") << "aaab\naab\nab"
                                    << "ab"
                                    << "ba"
                                    << "baaa\nbaa\nba" << info << "6 remplacements effectués.";
        QTest::newRow("lines between") << "ab\nxy\n\nab ab"
                                       << "ab"
                                       << "c"
                                       << "c\nxy\n\nc c" << info << "3 remplacements effectués.";
        QTest::newRow("shorter over lines") << "abab\nab"
                                            << "ab"
                                            << "x"
                                            << "xx\nx" << info << "3 remplacements effectués.";
        // A line break in the replace text makes a new line; a find text is looked for
        // within lines.
        QTest::newRow("new line") << "ab ab"
                                  << " "
                                  << "\r\n"
                                  << "ab\nab" << info << "1 remplacements effectués.";
        QTest::newRow("find across lines") << "a\nb"
                                           << "a\nb"
                                           << "c"
                                           << "a\nb" << error << "Ne peut pas trouver \"a\nb \".";
        QTest::newRow("same position") << "a"
                                       << "a"
                                       << "ab"
                                       << "ab" << error << kLoop;
        QTest::newRow("shrinking to itself") << "abb"
                                             << "ab"
                                             << "a"
                                             << "ab" << error << kLoop;
        // The replace text holds the find text further on: stopped at once.
        QTest::newRow("holds the find text") << "xa"
                                             << "a"
                                             << "ba"
                                             << "xba" << error << kLoop;
        // Each replacement makes a new occurrence: stopped after n * n replacements.
        QTest::newRow("endless chain") << "aab"
                                       << "ab"
                                       << "bbaa"
                                       << "bbbbbbbbabbaaaaaaaaaa" << error << kLoop;
        // A chain that ends after more replacements than the text has characters.
        QTest::newRow("long chain that ends") << "aaabbb"
                                              << "ab"
                                              << "ba"
                                              << "bbbaaa" << info << "9 remplacements effectués.";
    }
    void replaceAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(QString, result);
        QFETCH(QString, kind);
        QFETCH(QString, message);
        ResultsWindow w(text);
        w.Replace(find, replace, true);
        QCOMPARE(w.Text(), result);
        QCOMPARE(w.prompts.shown.size(), 1);
        QCOMPARE(w.prompts.shown.first().kind, kind);
        QCOMPARE(w.prompts.shown.first().text, message);
    }

    // The caret ends after the replacement, a CR LF of the replace text being one line
    // break.
    void replaceLeavesTheCaretAfterTheReplacement()
    {
        ResultsWindow w(QStringLiteral("a b c"));
        w.Replace(QStringLiteral(" "), QStringLiteral("\r\n"), false);
        QCOMPARE(w.Text(), QStringLiteral("a\nb c"));
        QCOMPARE(w.Selection(), qMakePair(2, 0));
    }

    // Replace all is one edit: one undo gives the text back.
    void undoAfterReplaceAllRestoresTheText()
    {
        ResultsWindow w(QStringLiteral("aab\nab ab"));
        w.Replace(QStringLiteral("ab"), QStringLiteral("ba"), true);
        QCOMPARE(w.Text(), QStringLiteral("baa\nba ba"));
        w.OpenEditMenu();
        QVERIFY(Find<QAction>(w.form.get(), "Dfaire1")->isEnabled());
        Find<QAction>(w.form.get(), "Dfaire1")->trigger();
        QCOMPARE(w.Text(), QStringLiteral("aab\nab ab"));
        QVERIFY(!Find<QPlainTextEdit>(w.form.get(), "Memo1")->document()->isUndoAvailable());
    }

    // The items follow the selection and the clipboard (Paste wants text, not just any
    // data); the clipboard actions go through the system clipboard.
    void editItemsFollowTheSelectionAndTheClipboard()
    {
        ResultsWindow w(QStringLiteral("un deux"));
        QGuiApplication::clipboard()->clear();
        w.OpenEditMenu();
        QList<bool> enabled;
        for (const QAction *a : {Find<QAction>(w.form.get(), "Dfaire1"), Find<QAction>(w.form.get(), "Couper1"),
                                 Find<QAction>(w.form.get(), "Copier1"), Find<QAction>(w.form.get(), "Coller1"),
                                 Find<QAction>(w.form.get(), "Effacer1"), Find<QAction>(w.form.get(), "Chercher1"),
                                 Find<QAction>(w.form.get(), "Remplacer1")})
            enabled.append(a->isEnabled());
        QCOMPARE(enabled, QList<bool>({false, false, false, false, false, true, true}));
        auto *picture = new QMimeData;
        picture->setData(QStringLiteral("image/png"), QByteArray("\x89PNG"));
        QGuiApplication::clipboard()->setMimeData(picture);
        w.OpenEditMenu();
        QVERIFY(!Find<QAction>(w.form.get(), "Coller1")->isEnabled());

        w.Select(0, 3);
        w.OpenEditMenu();
        QVERIFY(Find<QAction>(w.form.get(), "Couper1")->isEnabled() &&
                Find<QAction>(w.form.get(), "Copier1")->isEnabled() &&
                Find<QAction>(w.form.get(), "Effacer1")->isEnabled());
        Find<QAction>(w.form.get(), "Copier1")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("un "));
        Find<QAction>(w.form.get(), "Effacer1")->trigger();
        QCOMPARE(w.Text(), QStringLiteral("deux"));
        w.Select(4, 0);
        w.OpenEditMenu();
        QVERIFY(Find<QAction>(w.form.get(), "Coller1")->isEnabled() &&
                Find<QAction>(w.form.get(), "Dfaire1")->isEnabled());
        Find<QAction>(w.form.get(), "Coller1")->trigger();
        QCOMPARE(w.Text(), QStringLiteral("deuxun "));
        w.Select(0, 4);
        w.OpenEditMenu();
        Find<QAction>(w.form.get(), "Couper1")->trigger();
        QCOMPARE(w.Text(), QStringLiteral("un "));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("deux"));
    }

    // Find and replace without a mouse: Alt+E then C or R opens the dialog with the
    // keyboard in its text, Return finds or replaces, the underlined letters reach the
    // dialog's controls, Escape closes the dialog.
    void findAndReplaceByKeyboardAlone()
    {
        ResultsWindow w(QStringLiteral("un deux un"));
        Activate(w.form.get());
        Press(Qt::Key_E, Qt::AltModifier);
        Press(Qt::Key_C);
        auto *find = Find<TFindDialog>(w.form.get(), QStringLiteral("FindDialog1"));
        QTRY_COMPARE(QApplication::activeWindow(), find);
        QCOMPARE(Focused(), find->FindEdit);
        Type(QStringLiteral("deux"));
        Press(Qt::Key_Return);
        QCOMPARE(w.Selection(), qMakePair(3, 4));
        Press(Qt::Key_Escape);
        QVERIFY(!find->isVisible());

        Activate(w.form.get());
        Press(Qt::Key_E, Qt::AltModifier);
        Press(Qt::Key_R);
        auto *replace = Find<TReplaceDialog>(w.form.get(), QStringLiteral("ReplaceDialog1"));
        QTRY_COMPARE(QApplication::activeWindow(), replace);
        QCOMPARE(Focused(), replace->FindEdit);
        Type(QStringLiteral("un"));
        Press(Qt::Key_Tab);
        QCOMPARE(Focused(), replace->ReplaceEdit);
        Type(QStringLiteral("trois"));
        Press(Qt::Key_Return);
        QCOMPARE(w.Text(), QStringLiteral("trois deux un"));
        // Each underlined letter names one control: Alt+R presses "Remplacer", Alt+E goes
        // to the text sought.
        Press(Qt::Key_R, Qt::AltModifier);
        QTRY_COMPARE(w.Text(), QStringLiteral("trois deux trois"));
        Press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(Focused(), replace->FindEdit);
        Press(Qt::Key_Escape);
        QVERIFY(!replace->isVisible());
    }

    // Both dialogs stay open beside the results view and offer only their own choices;
    // the replace dialog's find-next button does nothing.
    void dialogsAreModelessBesideTheResultsWithTheirChoices()
    {
        ResultsWindow w(QStringLiteral("abc"));
        const QWidget *memo = Find<QPlainTextEdit>(w.form.get(), "Memo1");
        const QPoint corner = memo->parentWidget()->mapToGlobal(QPoint(memo->x() + memo->width(), memo->y()));
        TFindDialog *find = w.FindDialog();
        QVERIFY(find->isVisible() && !find->isModal());
        QCOMPARE(find->pos(), corner);
        QVERIFY(find->Options->MatchCaseCBX->isEnabled() && find->Options->WholeWordCBX->isEnabled());
        QVERIFY(!find->Options->DirectionGroup->isEnabled() && find->Options->DownRBN->isChecked());

        TReplaceDialog *replace = w.ReplaceDialog();
        QVERIFY(replace->isVisible() && !replace->isModal() && find->isVisible());
        QCOMPARE(replace->pos(), corner);
        QVERIFY(!replace->Options->MatchCaseCBX->isEnabled() && !replace->Options->WholeWordCBX->isEnabled());
        QVERIFY(!replace->Options->DirectionGroup->isEnabled());
        replace->FindEdit->setText(QStringLiteral("b"));
        QTest::mouseClick(replace->FindNextBtn, Qt::LeftButton);
        QCOMPARE(w.Text(), QStringLiteral("abc"));
        QCOMPARE(w.Selection(), qMakePair(0, 0));
        QVERIFY(w.prompts.shown.isEmpty());
    }
};

QTEST_MAIN(TestUiEdit)
#include "test_ui_edit.moc"
