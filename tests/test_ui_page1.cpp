#include "GuiHelpers.h"

// The window on the properties page of User, nothing chosen yet.
struct PropertiesPage : WindowFixture {
    PropertiesPage() { Next(form.get()); }
    QListWidget *available() const { return Find<TPropertyList>(form.get(), "PropertiesListBox1"); }
    QListWidget *chosen() const { return Find<TPropertyList>(form.get(), "PropertiesListBox2"); }
};

class TestUiPage1 : public QObject
{
    Q_OBJECT

private slots:
    void entryFillsTheAvailableListSorted()
    {
        PropertiesPage w;
        QCOMPARE(Texts(w.available()), QStringList({"CN", "Given Name", "Login Disabled", "Login Grace Limit",
                                                    "Surname", "Telephone Number", "Title"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntAvailable")->text(), QStringLiteral("7"));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntSelected")->text(), QStringLiteral("0"));
        QVERIFY(!Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
        QVERIFY(!Find<QPushButton>(w.form.get(), "ExcludeBtn")->isEnabled() &&
                !Find<QPushButton>(w.form.get(), "ExAllBtn")->isEnabled());
        QVERIFY(Find<QPushButton>(w.form.get(), "IncludeBtn")->isEnabled() &&
                Find<QPushButton>(w.form.get(), "IncAllBtn")->isEnabled());
        QCOMPARE(Find<QStatusBar>(w.form.get(), "StatusBar1")->currentMessage(),
                 QStringLiteral("Selection des propriétés et leur ordre d'exportation."));
    }

    void includeAppendsInReverseOrderAndAllowsDuplicates()
    {
        PropertiesPage w;
        SelectTexts(w.available(), {"CN", "Surname"});
        Find<QPushButton>(w.form.get(), "IncludeBtn")->click();
        QCOMPARE(Texts(w.chosen()), QStringList({"Surname", "CN"}));
        QCOMPARE(w.available()->count(), 7);
        QVERIFY(w.form->Modified);
        SelectTexts(w.available(), {"CN"});
        Find<QPushButton>(w.form.get(), "IncludeBtn")->click();
        QCOMPARE(Texts(w.chosen()), QStringList({"Surname", "CN", "CN"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntSelected")->text(), QStringLiteral("3"));
        QVERIFY(Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
    }

    void includeWithNothingSelectedChangesNothing()
    {
        PropertiesPage w;
        w.available()->clearSelection();
        Find<QPushButton>(w.form.get(), "IncludeBtn")->click();
        QCOMPARE(w.chosen()->count(), 0);
        QVERIFY(!w.form->Modified);
        QVERIFY(w.available()->item(0)->isSelected());
    }

    void excludeMovesBackOnlyWhatIsMissing()
    {
        PropertiesPage w;
        Find<QPushButton>(w.form.get(), "IncAllBtn")->click();
        QCOMPARE(w.available()->count(), 0);
        QCOMPARE(w.chosen()->count(), 7);
        QVERIFY(!w.form->Modified); // include all leaves Modified as it was
        SelectTexts(w.chosen(), {"Title", "CN"});
        Find<QPushButton>(w.form.get(), "ExcludeBtn")->click();
        QCOMPARE(Texts(w.available()), QStringList({"CN", "Title"}));
        QCOMPARE(w.chosen()->count(), 5);
        QVERIFY(w.form->Modified);
        w.form->Modified = false;
        Find<QPushButton>(w.form.get(), "ExAllBtn")->click();
        QCOMPARE(w.available()->count(), 7);
        QCOMPARE(w.chosen()->count(), 0);
        QVERIFY(!w.form->Modified);
        QCOMPARE(Find<QLabel>(w.form.get(), "CntSelected")->text(), QStringLiteral("0"));
        // The available count is refreshed on page entry only.
        QCOMPARE(Find<QLabel>(w.form.get(), "CntAvailable")->text(), QStringLiteral("7"));
    }

    // Exclude all brings back only what the available list lacks, the case of the
    // letters aside: no property is offered twice.
    void excludeAllOffersEachPropertyOnce()
    {
        PropertiesPage w;
        SelectTexts(w.available(), {"Surname", "Title"});
        Find<QPushButton>(w.form.get(), "IncludeBtn")->click();
        w.chosen()->addItems({"surname", "Extra"});
        Find<QPushButton>(w.form.get(), "ExAllBtn")->click();
        QCOMPARE(Texts(w.available()), QStringList({"CN", "Extra", "Given Name", "Login Disabled", "Login Grace Limit",
                                                    "Surname", "Telephone Number", "Title"}));
        QCOMPARE(w.chosen()->count(), 0);
    }

    // The lists without a mouse: type-ahead finds an entry, Return includes it from the
    // available list and excludes it from the chosen one, Ctrl+Up and Ctrl+Down order.
    void theListsWorkFromTheKeyboard()
    {
        PropertiesPage w;
        auto *available = Find<TPropertyList>(w.form.get(), "PropertiesListBox1");
        auto *chosen = Find<TPropertyList>(w.form.get(), "PropertiesListBox2");
        QTest::keyClicks(available, "Su");
        QCOMPARE(available->currentItem()->text(), QStringLiteral("Surname"));
        QTest::keyClick(available, Qt::Key_Return);
        QTest::keyClick(available, Qt::Key_Home);
        QTest::keyClick(available, Qt::Key_Return);
        QTest::keyClick(available, Qt::Key_End);
        QTest::keyClick(available, Qt::Key_Enter);
        QCOMPARE(Texts(chosen), QStringList({"Surname", "CN", "Title"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntSelected")->text(), QStringLiteral("3"));
        QTest::keyClick(chosen, Qt::Key_Home); // a list without a current entry takes its first
        QTest::keyClick(chosen, Qt::Key_End);
        QTest::keyClick(chosen, Qt::Key_Up, Qt::ControlModifier);
        QTest::keyClick(chosen, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(Texts(chosen), QStringList({"Title", "Surname", "CN"}));
        QTest::keyClick(chosen, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Texts(chosen), QStringList({"Surname", "Title", "CN"}));
        QCOMPARE(chosen->currentItem()->text(), QStringLiteral("Title"));
        QTest::keyClick(chosen, Qt::Key_Return);
        QCOMPARE(Texts(chosen), QStringList({"Surname", "CN"}));
        QCOMPARE(available->count(), 7);
    }

    void excludingAPropertyStillAvailableOnlyRemovesIt()
    {
        PropertiesPage w;
        SelectTexts(w.available(), {"CN"});
        Find<QPushButton>(w.form.get(), "IncludeBtn")->click();
        SelectTexts(w.chosen(), {"CN"});
        Find<QPushButton>(w.form.get(), "ExcludeBtn")->click();
        QCOMPARE(w.chosen()->count(), 0);
        QCOMPARE(w.available()->count(), 7);
    }

    void upAndDownStopAtTheEnds()
    {
        PropertiesPage w;
        ChooseProperties(w.form.get(), {"CN", "Surname", "Title"});
        w.form->Modified = false;
        ClickEntry(w.chosen(), "CN");
        QVERIFY(!Find<QPushButton>(w.form.get(), "UpBtn")->isEnabled() &&
                Find<QPushButton>(w.form.get(), "DownBtn")->isEnabled());
        QTest::keyClick(w.chosen(), Qt::Key_Up, Qt::ControlModifier); // the keys ask even where the button is off
        QCOMPARE(Texts(w.chosen()), QStringList({"CN", "Surname", "Title"}));
        QVERIFY(!w.form->Modified);
        ClickButton(w.form.get(), "DownBtn");
        QCOMPARE(Texts(w.chosen()), QStringList({"Surname", "CN", "Title"}));
        QCOMPARE(w.chosen()->currentRow(), 1);
        QVERIFY(w.form->Modified);
        ClickEntry(w.chosen(), "Title");
        QVERIFY(!Find<QPushButton>(w.form.get(), "DownBtn")->isEnabled());
        QTest::keyClick(w.chosen(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Texts(w.chosen()), QStringList({"Surname", "CN", "Title"}));
        ClickButton(w.form.get(), "UpBtn");
        QCOMPARE(Texts(w.chosen()), QStringList({"Surname", "Title", "CN"}));
    }

    void movesPastThe256thEntryAreNotMade()
    {
        PropertiesPage w;
        // 266 entries, the seven properties over and over: neighbours differ.
        w.available()->selectAll();
        for (int i = 0; i < 38; ++i)
            ClickButton(w.form.get(), "IncludeBtn");
        const QStringList before = Texts(w.chosen());
        QCOMPARE(before.size(), 266);
        QVERIFY(before.at(255) != before.at(254) && before.at(256) != before.at(255) &&
                before.at(256) != before.at(257));
        w.chosen()->setCurrentRow(255);
        QTest::keyClick(w.chosen(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(w.chosen()->item(254)->text(), before.at(255));
        w.chosen()->setCurrentRow(256);
        ClickButton(w.form.get(), "UpBtn");
        QCOMPARE(w.chosen()->item(256)->text(), before.at(256));
        ClickButton(w.form.get(), "DownBtn");
        QCOMPARE(w.chosen()->item(256)->text(), before.at(256));
    }

    void aClassChangePrunesTheChosenList()
    {
        PropertiesPage w;
        ChooseProperties(w.form.get(), {"Title", "CN", "Telephone Number", "Surname"});
        Previous(w.form.get());
        ClickEntry(Find<QListWidget>(w.form.get(), "ClassListBox"), "Organization");
        Next(w.form.get());
        QCOMPARE(Find<QLabel>(w.form.get(), "ClassLBL")->text(), QStringLiteral("Recherche des [Organization]"));
        QCOMPARE(Texts(w.chosen()), QStringList({"Telephone Number"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "CntSelected")->text(), QStringLiteral("1"));
    }

    void comingBackFromTheGridKeepsTheAvailableList()
    {
        PropertiesPage w;
        Find<QPushButton>(w.form.get(), "IncAllBtn")->click();
        Next(w.form.get());
        Previous(w.form.get());
        QCOMPARE(w.available()->count(), 0);
        QCOMPARE(Find<QLabel>(w.form.get(), "CntAvailable")->text(), QStringLiteral("0"));
    }

    void dragsGoBetweenTheListsOnly()
    {
        PropertiesPage w;
        auto *available = Find<TPropertyList>(w.form.get(), "PropertiesListBox1");
        auto *chosen = Find<TPropertyList>(w.form.get(), "PropertiesListBox2");
        QVERIFY(chosen->AcceptsDragFrom(available) && available->AcceptsDragFrom(chosen));
        QVERIFY(!chosen->AcceptsDragFrom(chosen) && !available->AcceptsDragFrom(available));
        SelectTexts(available, {"Surname"});
        QVERIFY(!available->DropFrom(available));
        QCOMPARE(chosen->count(), 0);
        QVERIFY(chosen->DropFrom(available));
        QCOMPARE(Texts(chosen), QStringList({"Surname"}));
        SelectTexts(chosen, {"Surname"});
        QVERIFY(!chosen->DropFrom(chosen));
        QCOMPARE(chosen->count(), 1);
        QVERIFY(available->DropFrom(chosen));
        QCOMPARE(chosen->count(), 0);
    }
};

QTEST_MAIN(TestUiPage1)
#include "test_ui_page1.moc"
