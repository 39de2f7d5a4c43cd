#include "GuiHelpers.h"

#include "ui/TExportForm.h"

#include <QLineEdit>

// The window on the options page of User with CN and Surname chosen.
struct OptionsPage : WindowFixture {
    OptionsPage()
    {
        form->NextBtnClick();
        form->PropertiesListBox2->addItems({"CN", "Surname"});
        form->NextBtnClick();
        form->NextBtnClick();
    }
    // Picks item k of a separator box as a user does.
    static void pick(TChoiceComboBox *box, int k)
    {
        box->setCurrentIndex(k);
        emit box->activated(k);
    }
};

class TestUiPage3 : public QObject
{
    Q_OBJECT

private slots:
    void buttonsAndStatusOfThePage()
    {
        OptionsPage w;
        QCOMPARE(w.form->Notebook1->currentIndex(), 3);
        QVERIFY(w.form->FinishBtn->isVisible() && w.form->FinishBtn->isEnabled());
        QVERIFY(w.form->PrevBtn->isEnabled() && w.form->NextBtn->isEnabled());
        QVERIFY(!w.form->SaveBTN->isVisible());
        QVERIFY(!w.form->Edition1->isEnabled());
        QCOMPARE(w.form->StatusBar1->currentMessage(), QStringLiteral("Selection des options d'exportation."));
        QVERIFY(!w.form->Modified);
    }

    void equalSeparatorsDisableExport()
    {
        OptionsPage w;
        OptionsPage::pick(w.form->ValSeparateurComboBox, 4); // Tab
        QVERIFY(!w.form->FinishBtn->isEnabled());
        QVERIFY(w.form->Modified);
        OptionsPage::pick(w.form->SeparateurComboBox, 1);    // ,
        OptionsPage::pick(w.form->ValSeparateurComboBox, 0); // Space
        QVERIFY(w.form->FinishBtn->isEnabled());
    }

    void aTypedSeparatorLastsUntilThePageIsEnteredAgain()
    {
        OptionsPage w;
        QLineEdit *edit = w.form->SeparateurComboBox->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, "|");
        QCOMPARE(w.form->SeparateurComboBox->currentText(), QStringLiteral("|"));
        QCOMPARE(w.form->QueryFromControls().separator, QStringLiteral("|"));
        w.form->PrevBtnClick();
        w.form->NextBtnClick();
        QVERIFY(w.form->SeparateurComboBox->currentText().isEmpty());
        QCOMPARE(w.form->ValSeparateurComboBox->currentText(), QStringLiteral("Space"));
    }

    void theDelimiterBoxFollowsItsCheckBox()
    {
        OptionsPage w;
        w.form->EntoureCBX->click();
        QVERIFY(!w.form->EntoureComboBox->isEnabled());
        QVERIFY(w.form->Modified);
        w.form->Modified = false;
        w.form->RecursiveCBX->click();
        QVERIFY(!w.form->Modified);
    }

    void theSqlSummaryIsRebuiltOnlyFromTheConditionsPage()
    {
        OptionsPage w;
        const QString sorted = w.form->MemoSum->toPlainText();
        QVERIFY(sorted.startsWith(QStringLiteral("SELECT CN,Surname")));
        QVERIFY(sorted.contains(QStringLiteral("ORDER BY CN")));
        w.form->SortedCBX->click();
        w.form->NextBtnClick();
        w.form->PrevBtnClick();
        QCOMPARE(w.form->MemoSum->toPlainText(), sorted);
        w.form->PrevBtnClick();
        w.form->NextBtnClick();
        QVERIFY(!w.form->MemoSum->toPlainText().contains(QStringLiteral("ORDER BY CN")));
    }

    void afterTheFirstExportCancelReadsQuitter()
    {
        OptionsPage w;
        TExportForm exportForm(w.prompts);
        exportForm.SetStartDelay(0);
        w.form->SetDialogs(nullptr, &exportForm);
        w.form->FinishBtn->click();
        QCOMPARE(w.form->Notebook1->currentIndex(), 4);
        QVERIFY(w.form->SaveBTN->isVisible() && !w.form->NextBtn->isEnabled());
        QVERIFY(w.form->Edition1->isEnabled());
        QCOMPARE(w.form->Memo1->toPlainText(), QStringLiteral("\"CN\"\t\"Surname\"\n\"asmith\"\t\"Smith\"\n"
                                                              "\"bwhite\"\t\"White\"\n\"jdoe\"\t\"Doe\""));
        QCOMPARE(w.form->CancelBTN->text(), QStringLiteral("Quitter"));
        w.form->PrevBtnClick();
        w.form->PrevBtnClick();
        QCOMPARE(w.form->CancelBTN->text(), QStringLiteral("Quitter"));
    }
};

QTEST_MAIN(TestUiPage3)
#include "test_ui_page3.moc"
