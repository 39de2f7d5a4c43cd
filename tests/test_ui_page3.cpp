#include "GuiHelpers.h"

#include "ui/TExportForm.h"

#include <QLineEdit>

// The window on the options page of User with CN and Surname chosen.
struct OptionsPage : WindowFixture {
    OptionsPage()
    {
        Next(form.get());
        ChooseProperties(form.get(), {"CN", "Surname"});
        form->Modified = false; // what follows is what the next pages change
        Next(form.get(), 2);
    }
    static void pick(TChoiceComboBox *box, int k) { ChooseItem(box, k); }
};

class TestUiPage3 : public QObject
{
    Q_OBJECT

private slots:
    void buttonsAndStatusOfThePage()
    {
        OptionsPage w;
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 3);
        QVERIFY(Find<QPushButton>(w.form.get(), "FinishBtn")->isVisible() &&
                Find<QPushButton>(w.form.get(), "FinishBtn")->isEnabled());
        QVERIFY(Find<QPushButton>(w.form.get(), "PrevBtn")->isEnabled() &&
                Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
        QVERIFY(!Find<QPushButton>(w.form.get(), "SaveBTN")->isVisible());
        QVERIFY(!Find<QMenu>(w.form.get(), "Edition1")->isEnabled());
        QCOMPARE(Find<QStatusBar>(w.form.get(), "StatusBar1")->currentMessage(),
                 QStringLiteral("Selection des options d'exportation."));
        QVERIFY(!w.form->Modified);
    }

    void equalSeparatorsDisableExport()
    {
        OptionsPage w;
        OptionsPage::pick(Find<TChoiceComboBox>(w.form.get(), "ValSeparateurComboBox"), 4); // Tab
        QVERIFY(!Find<QPushButton>(w.form.get(), "FinishBtn")->isEnabled());
        QVERIFY(w.form->Modified);
        OptionsPage::pick(Find<TChoiceComboBox>(w.form.get(), "SeparateurComboBox"), 1);    // ,
        OptionsPage::pick(Find<TChoiceComboBox>(w.form.get(), "ValSeparateurComboBox"), 0); // Space
        QVERIFY(Find<QPushButton>(w.form.get(), "FinishBtn")->isEnabled());
    }

    void aTypedSeparatorLastsUntilThePageIsEnteredAgain()
    {
        OptionsPage w;
        QLineEdit *edit = Find<TChoiceComboBox>(w.form.get(), "SeparateurComboBox")->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, "|");
        QCOMPARE(Find<TChoiceComboBox>(w.form.get(), "SeparateurComboBox")->currentText(), QStringLiteral("|"));
        QCOMPARE(w.form->QueryFromControls().separator, QStringLiteral("|"));
        Previous(w.form.get());
        Next(w.form.get());
        QVERIFY(Find<TChoiceComboBox>(w.form.get(), "SeparateurComboBox")->currentText().isEmpty());
        QCOMPARE(Find<TChoiceComboBox>(w.form.get(), "ValSeparateurComboBox")->currentText(), QStringLiteral("Space"));
    }

    void theDelimiterBoxFollowsItsCheckBox()
    {
        OptionsPage w;
        Find<QCheckBox>(w.form.get(), "EntoureCBX")->click();
        QVERIFY(!Find<TChoiceComboBox>(w.form.get(), "EntoureComboBox")->isEnabled());
        QVERIFY(w.form->Modified);
        w.form->Modified = false;
        Find<QCheckBox>(w.form.get(), "RecursiveCBX")->click();
        QVERIFY(!w.form->Modified);
    }

    void theSqlSummaryIsRebuiltOnlyFromTheConditionsPage()
    {
        OptionsPage w;
        const QString sorted = Find<QPlainTextEdit>(w.form.get(), "MemoSum")->toPlainText();
        QVERIFY(sorted.startsWith(QStringLiteral("SELECT CN,Surname")));
        QVERIFY(sorted.contains(QStringLiteral("ORDER BY CN")));
        Find<QCheckBox>(w.form.get(), "SortedCBX")->click();
        Next(w.form.get());
        Previous(w.form.get());
        QCOMPARE(Find<QPlainTextEdit>(w.form.get(), "MemoSum")->toPlainText(), sorted);
        Previous(w.form.get());
        Next(w.form.get());
        QVERIFY(!Find<QPlainTextEdit>(w.form.get(), "MemoSum")->toPlainText().contains(QStringLiteral("ORDER BY CN")));
    }

    void afterTheFirstExportCancelReadsQuitter()
    {
        OptionsPage w;
        TExportForm exportForm(w.prompts);
        exportForm.SetStartDelay(0);
        w.form->SetDialogs(nullptr, &exportForm);
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 4);
        QVERIFY(Find<QPushButton>(w.form.get(), "SaveBTN")->isVisible() &&
                !Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
        QVERIFY(Find<QMenu>(w.form.get(), "Edition1")->isEnabled());
        QCOMPARE(Find<QPlainTextEdit>(w.form.get(), "Memo1")->toPlainText(),
                 QStringLiteral("\"CN\"\t\"Surname\"\n\"asmith\"\t\"Smith\"\n"
                                "\"bwhite\"\t\"White\"\n\"jdoe\"\t\"Doe\""));
        QCOMPARE(Find<QPushButton>(w.form.get(), "CancelBTN")->text(), QStringLiteral("Quitter"));
        Previous(w.form.get(), 2);
        QCOMPARE(Find<QPushButton>(w.form.get(), "CancelBTN")->text(), QStringLiteral("Quitter"));
    }
};

QTEST_MAIN(TestUiPage3)
#include "test_ui_page3.moc"
