#include "GuiHelpers.h"

// The window on the conditions page of User with CN, Surname, Login Grace Limit and
// Title chosen.
struct ConditionsPage : WindowFixture {
    ConditionsPage()
    {
        Next(form.get());
        ChooseProperties(form.get(), {"CN", "Surname", "Login Grace Limit", "Title"});
        Next(form.get());
    }
    QString cell(int column, int row) const
    {
        return Find<TConditionGrid>(form.get(), "StringGrid1")->Cell(column, row);
    }
    void chooseOperator(int row, int k) { ChooseOperator(form.get(), row, k); }
    // Whether a click on the cell makes it current, the cell not being current before.
    bool opens(int column, int row) const
    {
        auto *grid = Find<TConditionGrid>(form.get(), "StringGrid1");
        if (grid->CurrentColumn() == column && grid->CurrentRow() == row)
            StopTest(QStringLiteral("the cell %1, %2 is current already").arg(column).arg(row), __FILE__, __LINE__);
        ClickCell(grid, column, row);
        return grid->CurrentColumn() == column && grid->CurrentRow() == row;
    }
};

class TestUiPage2 : public QObject
{
    Q_OBJECT

private slots:
    void newRowsStartWithAucuneShownAndTheirType()
    {
        ConditionsPage w;
        QCOMPARE(Find<TConditionGrid>(w.form.get(), "StringGrid1")->RowCount(), 5);
        QCOMPARE(w.cell(0, 3), QStringLiteral("Login Grace Limit"));
        QCOMPARE(w.cell(1, 3), QStringLiteral("aucune"));
        QCOMPARE(w.cell(4, 3), QStringLiteral("oui"));
        QCOMPARE(w.cell(5, 1), QStringLiteral("String"));
        QCOMPARE(w.cell(5, 3), QStringLiteral("Long"));
        QVERIFY(w.cell(2, 3).isEmpty() && w.cell(3, 3).isEmpty());
        // The operator drop-down opens over the first row's Condition cell.
        QVERIFY(Find<QComboBox>(w.form.get(), "OperationsComboBox")->isVisible());
        QCOMPARE(w.form->EditRow, 1);
        QCOMPARE(Find<QComboBox>(w.form.get(), "OperationsComboBox")->geometry().topLeft(),
                 Find<TConditionGrid>(w.form.get(), "StringGrid1")->CellRect(1, 1).topLeft());
        QCOMPARE(Find<QStatusBar>(w.form.get(), "StatusBar1")->currentMessage(),
                 QStringLiteral("Filtres sur les propriétés."));
    }

    void valueCellsOpenOnlyForTheirOperators()
    {
        ConditionsPage w;
        TForm1 &f = *w.form;
        QVERIFY(!w.opens(2, 1)); // aucune
        QVERIFY(!w.opens(3, 1));
        w.chooseOperator(1, 1); // existe
        QVERIFY(!w.opens(2, 1));
        w.chooseOperator(1, 3); // égal
        QVERIFY(w.opens(2, 1));
        QVERIFY(!w.opens(3, 1));
        w.chooseOperator(1, 8); // entre
        QVERIFY(w.opens(3, 1) && w.opens(2, 1));
        QVERIFY(!w.opens(5, 1)); // Type never opens
        // No event asks for a row past the last one: there is no cell to click or move to.
        QVERIFY(!f.StringGrid1SelectCell(2, 5));
        // The Affiche cell is edited by its drop-down, the cell itself refused.
        QVERIFY(!w.opens(4, 2));
        QVERIFY(Find<QComboBox>(&f, "OuiNonComboBox")->isVisible() &&
                !Find<QComboBox>(&f, "OperationsComboBox")->isVisible());
        // The mouse goes through the same rule.
        const QPoint type = Find<TConditionGrid>(&f, "StringGrid1")->CellRect(5, 2).center();
        QTest::mouseClick(Find<TConditionGrid>(&f, "StringGrid1")->viewport(), Qt::LeftButton, {}, type);
        QVERIFY(Find<TConditionGrid>(&f, "StringGrid1")->CurrentColumn() != 5);
    }

    void theKeyboardReachesEveryCellTheRuleOpens()
    {
        ConditionsPage w;
        TForm1 &f = *w.form;
        w.chooseOperator(2, 3); // égal: Valeur 1 opens, Valeur 2 does not
        QTest::keyClick(Find<QComboBox>(&f, "OperationsComboBox"),
                        Qt::Key_Return); // the drop-down gives the focus back
        QVERIFY(!Find<QComboBox>(&f, "OperationsComboBox")->isVisible());
        QCOMPARE(Find<TConditionGrid>(&f, "StringGrid1")->CurrentRow(), 2);
        QCOMPARE(Find<TConditionGrid>(&f, "StringGrid1")->CurrentColumn(), 1);
        QTest::keyClick(Find<TConditionGrid>(&f, "StringGrid1"), Qt::Key_Right);
        QCOMPARE(Find<TConditionGrid>(&f, "StringGrid1")->CurrentColumn(), 2);
        QTest::keyClick(Find<TConditionGrid>(&f, "StringGrid1"), Qt::Key_Right); // Valeur 2 is passed over to Affiche
        QVERIFY(Find<QComboBox>(&f, "OuiNonComboBox")->isVisible());
        QCOMPARE(f.EditRow, 2);
        QCOMPARE(Find<TConditionGrid>(&f, "StringGrid1")->CurrentColumn(), 2);
        QTest::keyClick(Find<QComboBox>(&f, "OuiNonComboBox"), Qt::Key_Left); // back to Valeur 1
        QVERIFY(!Find<QComboBox>(&f, "OuiNonComboBox")->isVisible());
        QCOMPARE(Find<TConditionGrid>(&f, "StringGrid1")->CurrentColumn(), 2);
        QTest::keyClick(Find<TConditionGrid>(&f, "StringGrid1"),
                        Qt::Key_Down); // Valeur 1 of a row under "aucune" stays shut
        QCOMPARE(Find<TConditionGrid>(&f, "StringGrid1")->CurrentRow(), 2);
        QTest::keyClick(Find<TConditionGrid>(&f, "StringGrid1"), Qt::Key_Left); // Condition opens its drop-down
        QVERIFY(Find<QComboBox>(&f, "OperationsComboBox")->isVisible());
        QTest::keyClick(Find<QComboBox>(&f, "OperationsComboBox"), Qt::Key_Escape);
        QTest::keyClick(Find<TConditionGrid>(&f, "StringGrid1"), Qt::Key_Down); // on to the next row's Condition
        QVERIFY(Find<QComboBox>(&f, "OperationsComboBox")->isVisible());
        QCOMPARE(f.EditRow, 3);
        QCOMPARE(w.cell(1, 3), QStringLiteral("aucune"));
    }

    // A keyboard user picks "existe" in row 2's drop-down and confirms with Return: the
    // focus stays on row 2 and the next Down never edits row 1.
    void returnInADropDownStaysOnItsRow()
    {
        ConditionsPage w;
        TForm1 &f = *w.form;
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        auto *grid = Find<TConditionGrid>(&f, "StringGrid1");
        auto *operations = Find<QComboBox>(&f, "OperationsComboBox");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 2).center());
        QTRY_VERIFY(operations->isVisible() && operations->hasFocus());
        QCOMPARE(operations->geometry().topLeft(), grid->CellRect(1, 2).topLeft());
        QTest::keyClick(operations, Qt::Key_Down);
        QCOMPARE(w.cell(1, 2), QStringLiteral("existe"));
        QTest::keyClick(operations, Qt::Key_Return);
        QCOMPARE(w.cell(1, 2), QStringLiteral("existe"));
        QVERIFY(!operations->isVisible() || operations->geometry().topLeft() == grid->CellRect(1, 2).topLeft());
        QTest::keyClick(Focused(), Qt::Key_Down);
        QCOMPARE(w.cell(1, 1), QStringLiteral("aucune"));
        QCOMPARE(w.cell(1, 2), QStringLiteral("existe"));
        QCOMPARE(grid->CurrentRow(), 2);
    }

    // Tab and Shift+Tab go to the next and previous cells the rule opens, across rows,
    // the drop-downs included, and never stop on a refused cell.
    void tabStopsOnlyWhereTheRuleAllows()
    {
        ConditionsPage w;
        TForm1 &f = *w.form;
        auto *grid = Find<TConditionGrid>(&f, "StringGrid1");
        auto *operations = Find<QComboBox>(&f, "OperationsComboBox");
        auto *ouiNon = Find<QComboBox>(&f, "OuiNonComboBox");
        const auto over = [grid](const QComboBox *box, int column, int row) {
            return box->isVisible() && box->geometry().topLeft() == grid->CellRect(column, row).topLeft();
        };
        w.chooseOperator(2, 3); // égal: Valeur 1 opens, Valeur 2 does not
        QVERIFY(grid->MakeCurrent(2, 2));
        QTest::keyClick(grid, Qt::Key_Tab); // Valeur 2 passed over
        QVERIFY(over(ouiNon, 4, 2));
        QCOMPARE(grid->CurrentColumn(), 2);
        QTest::keyClick(ouiNon, Qt::Key_Tab); // Type and the name passed over
        QVERIFY(over(operations, 1, 3));
        QVERIFY(!ouiNon->isVisible());
        QTest::keyClick(operations, Qt::Key_Backtab);
        QVERIFY(over(ouiNon, 4, 2));
        QTest::keyClick(ouiNon, Qt::Key_Backtab);
        QVERIFY(!ouiNon->isVisible() && !operations->isVisible());
        QCOMPARE(grid->CurrentRow(), 2);
        QCOMPARE(grid->CurrentColumn(), 2);
        QTest::keyClick(grid, Qt::Key_Backtab);
        QVERIFY(over(operations, 1, 2));
        QCOMPARE(w.cell(1, 2), QStringLiteral("égal")); // moving changes no cell
        QCOMPARE(w.cell(1, 3), QStringLiteral("aucune"));
    }

    void changingTheOperatorClearsTheValuesItNoLongerTakes()
    {
        ConditionsPage w;
        w.chooseOperator(2, 8);
        Find<TConditionGrid>(w.form.get(), "StringGrid1")->SetCell(2, 2, "A");
        Find<TConditionGrid>(w.form.get(), "StringGrid1")->SetCell(3, 2, "M");
        w.chooseOperator(2, 3);
        QCOMPARE(w.cell(1, 2), QStringLiteral("égal"));
        QCOMPARE(w.cell(2, 2), QStringLiteral("A"));
        QVERIFY(w.cell(3, 2).isEmpty());
        w.chooseOperator(2, 1);
        QVERIFY(w.cell(2, 2).isEmpty());
        QVERIFY(w.form->Modified);
    }

    void nonDoesNotSetModifiedButTypingDoes()
    {
        ConditionsPage w;
        w.form->Modified = false;
        ClickCell(Find<TConditionGrid>(w.form.get(), "StringGrid1"), 4, 2);
        ChooseItem(Find<QComboBox>(w.form.get(), "OuiNonComboBox"), 1);
        QCOMPARE(w.cell(4, 2), QStringLiteral("non"));
        QVERIFY(!w.form->Modified);
        w.chooseOperator(2, 3);
        w.form->Modified = false;
        QVERIFY(Find<TConditionGrid>(w.form.get(), "StringGrid1")->MakeCurrent(2, 2));
        Find<TConditionGrid>(w.form.get(), "StringGrid1")
            ->edit(Find<TConditionGrid>(w.form.get(), "StringGrid1")->currentIndex());
        auto *editor = Find<TConditionGrid>(w.form.get(), "StringGrid1")->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "d");
        QTest::keyClick(editor, Qt::Key_Tab);
        QCOMPARE(w.cell(2, 2), QStringLiteral("d"));
        QVERIFY(w.form->Modified);
    }

    void aFailingRowKeepsTheOldRowsAndThePage()
    {
        ConditionsPage w;
        w.chooseOperator(2, 5); // commence par
        Find<TConditionGrid>(w.form.get(), "StringGrid1")->SetCell(2, 2, "d");
        Next(w.form.get()); // the rows collected
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 3);
        QCOMPARE(w.form->Filters.Count(), 4);
        Previous(w.form.get());
        w.chooseOperator(3, 11); // supérieur, on a number
        Find<TConditionGrid>(w.form.get(), "StringGrid1")->SetCell(2, 3, "abc");
        Next(w.form.get());
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 2);
        QCOMPARE(w.prompts.Texts("error").size(), 1);
        QCOMPARE(Find<TConditionGrid>(w.form.get(), "StringGrid1")->CurrentRow(), 3);
        QCOMPARE(w.form->Filters.Condition(2).op, uint8_t(0));
        QCOMPARE(w.form->Filters.Condition(1).v1, QStringLiteral("D"));
    }

    void collectedValuesComeBackNormalised()
    {
        ConditionsPage w;
        w.chooseOperator(4, 6); // contient
        Find<TConditionGrid>(w.form.get(), "StringGrid1")->SetCell(2, 4, "mana");
        Next(w.form.get());
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 3);
        Previous(w.form.get(), 2);
        Next(w.form.get());
        QCOMPARE(w.cell(1, 4), QStringLiteral("contient"));
        QCOMPARE(w.cell(2, 4), QStringLiteral("MANA"));
    }

    void rowsOfPropertiesNoLongerChosenGo()
    {
        ConditionsPage w;
        Next(w.form.get());
        QCOMPARE(w.form->Filters.Count(), 4);
        Previous(w.form.get(), 2);
        ClickEntry(Find<TPropertyList>(w.form.get(), "PropertiesListBox2"), "CN");
        ClickButton(w.form.get(), "ExcludeBtn");
        w.form->Modified = false;
        Next(w.form.get());
        QCOMPARE(w.form->Filters.Count(), 3);
        QVERIFY(w.form->Modified);
        QCOMPARE(w.cell(0, 1), QStringLiteral("Surname"));
    }

    void anUnknownPropertyShowsInconnu()
    {
        WindowFixture w;
        Next(w.form.get());
        // None of the window's ways puts a property the class lacks in the chosen list (a
        // query file's are pruned on entry): it is put there directly.
        Find<TPropertyList>(w.form.get(), "PropertiesListBox2")->addItem("No Such Property");
        ChooseProperties(w.form.get(), {"CN"});
        Next(w.form.get());
        QCOMPARE(Find<TConditionGrid>(w.form.get(), "StringGrid1")->Cell(5, 1), QStringLiteral("inconnu"));
    }
};

QTEST_MAIN(TestUiPage2)
#include "test_ui_page2.moc"
