#include "GuiHelpers.h"

class TestUiPage0 : public QObject
{
    Q_OBJECT

private slots:
    void parentAndChildNames_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("parent");
        QTest::newRow("two levels") << "OU=Sales.O=Acme"
                                    << "O=Acme";
        QTest::newRow("one level") << "O=Acme"
                                   << "[root]";
        QTest::newRow("root") << "[root]"
                              << "[root]";
        QTest::newRow("leading dot, two levels") << ".OU=Sales.O=Acme"
                                                 << "O=Acme";
        QTest::newRow("leading dot, one level") << ".O=Acme"
                                                << "O=Acme";
        QTest::newRow("one character") << "A"
                                       << "[root]";
    }

    void parentAndChildNames()
    {
        QFETCH(QString, context);
        QFETCH(QString, parent);
        QCOMPARE(TForm1::ParentContextName(context), parent);
    }

    void childNames()
    {
        QCOMPARE(TForm1::ChildContextName("O=Acme", "OU=Sales"), QStringLiteral("OU=Sales.O=Acme"));
        QCOMPARE(TForm1::ChildContextName("[root]", "O=Acme"), QStringLiteral("O=Acme"));
        QCOMPARE(TForm1::ChildContextName(".O=Acme", "OU=Sales"), QStringLiteral("OU=Sales.O=Acme"));
        QCOMPARE(TForm1::ChildContextName("[ROOT]", "O=Acme"), QStringLiteral("O=Acme.[ROOT]"));
    }

    void startsInTheDefaultContextWithUserSelected()
    {
        WindowFixture w;
        QCOMPARE(w.form->TreeComboBox->currentText(), QStringLiteral("ACME"));
        QCOMPARE(w.form->ContextEdit->text(), QStringLiteral("Sales.Acme"));
        QCOMPARE(Texts(w.form->CtxListBox), QStringList({"..", "East"}));
        QCOMPARE(w.form->CntCtx->text(), QStringLiteral("2"));
        QCOMPARE(Texts(w.form->ClassListBox), QStringList({"Group", "Organization", "Organizational Unit", "User"}));
        QCOMPARE(w.form->CntClasses->text(), QStringLiteral("4"));
        QCOMPARE(w.form->ClassListBox->currentItem()->text(), QStringLiteral("User"));
        QVERIFY(!w.form->Modified);
    }

    void walkingUpToTheRootAndDownAgain()
    {
        WindowFixture w;
        ClickEntry(w.form->CtxListBox, "..");
        QCOMPARE(w.form->ContextEdit->text(), QStringLiteral("Acme"));
        QCOMPARE(Texts(w.form->CtxListBox), QStringList({"..", "Lab", "Sales"}));
        ClickEntry(w.form->CtxListBox, "..");
        QCOMPARE(w.form->ContextEdit->text().toLower(), QStringLiteral("[root]"));
        QVERIFY(!Texts(w.form->CtxListBox).contains(".."));
        QCOMPARE(w.form->CntCtx->text(), QString::number(w.form->CtxListBox->count()));
        ClickEntry(w.form->CtxListBox, "Acme");
        QCOMPARE(w.form->ContextEdit->text(), QStringLiteral("Acme"));
        // The keyboard's Enter clicks the current entry.
        w.form->CtxListBox->setCurrentRow(Texts(w.form->CtxListBox).indexOf("Sales"));
        QTest::keyClick(w.form->CtxListBox, Qt::Key_Return);
        QCOMPARE(w.form->ContextEdit->text(), QStringLiteral("Sales.Acme"));
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void switchingTreesRefillsTheLists()
    {
        WindowFixture w;
        w.form->PropertiesListBox2->addItem("CN");
        w.form->TreeComboBox->setCurrentText("LAB");
        QCOMPARE(w.form->ContextEdit->text(), QStringLiteral("Lab"));
        QCOMPARE(Texts(w.form->ClassListBox), QStringList({"Device", "Organization"}));
        QCOMPARE(w.form->PropertiesListBox2->count(), 0);
        // A schema without User leaves no class chosen, and Next waits for a click.
        QVERIFY(w.form->ClassListBox->selectedItems().isEmpty());
        QVERIFY(!w.form->NextBtn->isEnabled());
        ClickEntry(w.form->ClassListBox, "Device");
        QVERIFY(w.form->NextBtn->isEnabled());
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void eachFailingSwitchIsReported()
    {
        WindowFixture w;
        w.form->TreeComboBox->setFocus();
        w.form->TreeComboBox->lineEdit()->selectAll();
        QTest::keyClicks(w.form->TreeComboBox, "NO");
        QCOMPARE(w.prompts.Texts("report").size(), 2);
        QVERIFY(w.prompts.Texts("report").constFirst().contains(QStringLiteral(" Failed\rError Code: ")));
        QCOMPARE(w.form->ContextEdit->text(), QStringLiteral("Sales.Acme"));
        QCOMPARE(w.form->ClassListBox->count(), 4);
        QVERIFY(!QApplication::overrideCursor()); // the busy cursor is gone after a failure too
    }

    void classClicksSetModifiedOnlyOnAChange()
    {
        WindowFixture w;
        w.form->LastClassIndex = w.form->ClassListBox->currentRow();
        ClickEntry(w.form->ClassListBox, "User");
        QVERIFY(!w.form->Modified);
        ClickEntry(w.form->ClassListBox, "Group");
        QVERIFY(w.form->Modified);
        w.form->Modified = false;
        ClickEntry(w.form->ClassListBox, "User");
        QVERIFY(w.form->Modified);
        QCOMPARE(w.form->LastClassIndex, w.form->ClassListBox->currentRow());
    }

    void doubleClickingAClassGoesForward()
    {
        WindowFixture w;
        const QListWidgetItem *user = w.form->ClassListBox->findItems("User", Qt::MatchExactly).constFirst();
        const QPoint at = w.form->ClassListBox->visualItemRect(user).center();
        QTest::mouseClick(w.form->ClassListBox->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w.form->ClassListBox->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w.form->Notebook1->currentIndex(), 1);
        QCOMPARE(w.form->ClassLBL->text(), QStringLiteral("Recherche des [User]"));
    }
};

QTEST_MAIN(TestUiPage0)
#include "test_ui_page0.moc"
