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
        QCOMPARE(Find<QComboBox>(w.form.get(), "TreeComboBox")->currentText(), QStringLiteral("ACME"));
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text(), QStringLiteral("Sales.Acme"));
        QCOMPARE(Texts(Find<QListWidget>(w.form.get(), "CtxListBox")), QStringList({"..", "East"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntCtx")->text(), QStringLiteral("2"));
        QCOMPARE(Texts(Find<QListWidget>(w.form.get(), "ClassListBox")),
                 QStringList({"Group", "Organization", "Organizational Unit", "User"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntClasses")->text(), QStringLiteral("4"));
        QCOMPARE(Find<QListWidget>(w.form.get(), "ClassListBox")->currentItem()->text(), QStringLiteral("User"));
        QVERIFY(!w.form->Modified);
    }

    void walkingUpToTheRootAndDownAgain()
    {
        WindowFixture w;
        ClickEntry(Find<QListWidget>(w.form.get(), "CtxListBox"), "..");
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text(), QStringLiteral("Acme"));
        QCOMPARE(Texts(Find<QListWidget>(w.form.get(), "CtxListBox")), QStringList({"..", "Lab", "Sales"}));
        ClickEntry(Find<QListWidget>(w.form.get(), "CtxListBox"), "..");
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text().toLower(), QStringLiteral("[root]"));
        QVERIFY(!Texts(Find<QListWidget>(w.form.get(), "CtxListBox")).contains(".."));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntCtx")->text(),
                 QString::number(Find<QListWidget>(w.form.get(), "CtxListBox")->count()));
        ClickEntry(Find<QListWidget>(w.form.get(), "CtxListBox"), "Acme");
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text(), QStringLiteral("Acme"));
        // The keyboard's Enter clicks the current entry.
        Find<QListWidget>(w.form.get(), "CtxListBox")
            ->setCurrentRow(Texts(Find<QListWidget>(w.form.get(), "CtxListBox")).indexOf("Sales"));
        QTest::keyClick(Find<QListWidget>(w.form.get(), "CtxListBox"), Qt::Key_Return);
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text(), QStringLiteral("Sales.Acme"));
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void switchingTreesRefillsTheLists()
    {
        WindowFixture w;
        Find<TPropertyList>(w.form.get(), "PropertiesListBox2")->addItem("CN");
        Find<QComboBox>(w.form.get(), "TreeComboBox")->setCurrentText("LAB");
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text(), QStringLiteral("Lab"));
        QCOMPARE(Texts(Find<QListWidget>(w.form.get(), "ClassListBox")), QStringList({"Device", "Organization"}));
        QCOMPARE(Find<TPropertyList>(w.form.get(), "PropertiesListBox2")->count(), 0);
        // A schema without User leaves no class chosen, and Next waits for a click.
        QVERIFY(Find<QListWidget>(w.form.get(), "ClassListBox")->selectedItems().isEmpty());
        QVERIFY(!Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
        ClickEntry(Find<QListWidget>(w.form.get(), "ClassListBox"), "Device");
        QVERIFY(Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void eachFailingSwitchIsReported()
    {
        WindowFixture w;
        Find<QComboBox>(w.form.get(), "TreeComboBox")->setFocus();
        Find<QComboBox>(w.form.get(), "TreeComboBox")->lineEdit()->selectAll();
        QTest::keyClicks(Find<QComboBox>(w.form.get(), "TreeComboBox"), "NO");
        QCOMPARE(w.prompts.Texts("report").size(), 2);
        QVERIFY(w.prompts.Texts("report").constFirst().contains(QStringLiteral(" Failed\rError Code: ")));
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->text(), QStringLiteral("Sales.Acme"));
        QCOMPARE(Find<QListWidget>(w.form.get(), "ClassListBox")->count(), 4);
        QVERIFY(!QApplication::overrideCursor()); // the busy cursor is gone after a failure too
    }

    void classClicksSetModifiedOnlyOnAChange()
    {
        WindowFixture w;
        w.form->LastClassIndex = Find<QListWidget>(w.form.get(), "ClassListBox")->currentRow();
        ClickEntry(Find<QListWidget>(w.form.get(), "ClassListBox"), "User");
        QVERIFY(!w.form->Modified);
        ClickEntry(Find<QListWidget>(w.form.get(), "ClassListBox"), "Group");
        QVERIFY(w.form->Modified);
        w.form->Modified = false;
        ClickEntry(Find<QListWidget>(w.form.get(), "ClassListBox"), "User");
        QVERIFY(w.form->Modified);
        QCOMPARE(w.form->LastClassIndex, Find<QListWidget>(w.form.get(), "ClassListBox")->currentRow());
    }

    void doubleClickingAClassGoesForward()
    {
        WindowFixture w;
        const QListWidgetItem *user =
            Find<QListWidget>(w.form.get(), "ClassListBox")->findItems("User", Qt::MatchExactly).constFirst();
        const QPoint at = Find<QListWidget>(w.form.get(), "ClassListBox")->visualItemRect(user).center();
        QTest::mouseClick(Find<QListWidget>(w.form.get(), "ClassListBox")->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Find<QListWidget>(w.form.get(), "ClassListBox")->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 1);
        QCOMPARE(Find<QLabel>(w.form.get(), "ClassLBL")->text(), QStringLiteral("Recherche des [User]"));
    }
};

QTEST_MAIN(TestUiPage0)
#include "test_ui_page0.moc"
