#include "GuiHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>

class TestUiFrame : public QObject
{
    Q_OBJECT

private slots:
    void startsOnPageZeroWithTheVersionInTheCaption()
    {
        WindowFixture w;
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Veltrane 1.26"));
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 0);
        QVERIFY(!Find<QPushButton>(w.form.get(), "PrevBtn")->isEnabled());
        QVERIFY(Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled()); // User is selected
        QVERIFY(Find<QPushButton>(w.form.get(), "FinishBtn")->isHidden());
        QVERIFY(Find<QPushButton>(w.form.get(), "SaveBTN")->isHidden());
        QVERIFY(w.form->size().width() >= 477 && w.form->size().height() >= 338);
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const std::pair<const char *, const char *> table[] = {
            {"PrevBtn", "Précédent"},
            {"NextBtn", "Suivant"},
            {"FinishBtn", "Exporter"},
            {"CancelBTN", "Annuler"},
            {"SaveBTN", "Sauver..."},
            {"Label1", "Contexte actuel:"},
            {"Label2", "Filtre:"},
            {"Label3", "Classes disponibles:"},
            {"Label4", "Résultats de la recherche:"},
            {"Label5", "Delimiteur:"},
            {"Label6", "Séparateur de propriétés:"},
            {"Label7", "Conditions sur les propriétés"},
            {"Label8", "Propriétés disponibles"},
            {"Label9", "Propriétés choisies:"},
            {"Label10", "Séparateur entre valeurs:"},
            {"Label11", "Contextes:"},
            {"Label12", "Tree:"},
            {"ChampsCBX", "Inclure noms des champs"},
            {"EntoureCBX", "Avec le séparateur ci-dessous: "},
            {"RecursiveCBX", "Chercher les sous-contextes"},
            {"SortedCBX", "Trier par nom"},
            {"CleanCtxCBX", "Utiliser les noms courts"},
            {"SQLCBX", "Inclure le texte SQL"},
            {"AddContainerCBX", "Ajouter le contexte en colonne 1"},
            {"GroupBox1", "SQL de la requête:"},
            {"GroupBox2", "Exportation options: "},
            {"Fichier1", "&Fichiers"},
            {"Edition1", "&Edition"},
            {"Aide1", "&Aide"},
            {"Ouvrir1", "&Ouvrir..."},
            {"OuvrirunerequteenSQL1", "Ouvrir une requête SQL..."},
            {"Enregistrer1", "&Enregistrer..."},
            {"Enregistrersous1", "Enregistrer &sous..."},
            {"EnregistrerlarequteenSQL1", "Enregistrer en SQL..."},
            {"Exporterlesrsultats1", "Exporter les résultats..."},
            {"Configurationdelimpression1", "Configuration de l'impression..."},
            {"Imprimerlesrsultats1", "Imprimer les résultats"},
            {"Quitter1", "&Quitter"},
            {"Dfaire1", "&Annuler"},
            {"Couper1", "Couper"},
            {"Copier1", "Copier"},
            {"Coller1", "Coller"},
            {"Effacer1", "&Effacer"},
            {"Chercher1", "&Chercher..."},
            {"Remplacer1", "&Remplacer..."},
            {"Apropos1", "&A propos..."},
        };
        for (const auto &[name, text] : table)
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text);
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        WindowFixture w;
        QObject *found = w.form->findChild<QObject *>(name);
        QVERIFY2(found, qPrintable(QStringLiteral("no component named ") + name));
        QString shown;
        if (auto *button = qobject_cast<QAbstractButton *>(found))
            shown = button->text();
        else if (auto *label = qobject_cast<QLabel *>(found))
            shown = label->text();
        else if (auto *group = qobject_cast<QGroupBox *>(found))
            shown = group->title();
        else if (auto *menu = qobject_cast<QMenu *>(found))
            shown = menu->title();
        else if (auto *action = qobject_cast<QAction *>(found))
            shown = action->text();
        QCOMPARE(shown, text);
    }

    void hintsAndShortcuts()
    {
        WindowFixture w;
        QCOMPARE(Find<QPushButton>(w.form.get(), "IncludeBtn")->toolTip(), QStringLiteral("Ajouter"));
        QCOMPARE(Find<QPushButton>(w.form.get(), "IncAllBtn")->toolTip(), QStringLiteral("Tout ajouter"));
        QCOMPARE(Find<QPushButton>(w.form.get(), "ExcludeBtn")->toolTip(), QStringLiteral("Retirer"));
        QCOMPARE(Find<QPushButton>(w.form.get(), "ExAllBtn")->toolTip(), QStringLiteral("Tout retirer"));
        QCOMPARE(Find<QPushButton>(w.form.get(), "UpBtn")->toolTip(), QStringLiteral("Vers le haut"));
        QCOMPARE(Find<QPushButton>(w.form.get(), "DownBtn")->toolTip(), QStringLiteral("Vers le bas"));
        QCOMPARE(Find<QAction>(w.form.get(), "Ouvrir1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(Find<QAction>(w.form.get(), "Enregistrer1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
        // Labelled controls carry their label for screen readers.
        QCOMPARE(Find<QLineEdit>(w.form.get(), "ContextEdit")->accessibleName(), QStringLiteral("Contexte actuel:"));
        QCOMPARE(Find<QListWidget>(w.form.get(), "ClassListBox")->accessibleName(),
                 QStringLiteral("Classes disponibles:"));
        QCOMPARE(Find<TConditionGrid>(w.form.get(), "StringGrid1")->accessibleName(),
                 QStringLiteral("Conditions sur les propriétés"));
    }

    void initialStatesOfTheGridAndTheOptions()
    {
        WindowFixture w;
        QStringList titles;
        for (int column = 0; column < Find<TConditionGrid>(w.form.get(), "StringGrid1")->columnCount(); ++column)
            titles.append(Find<TConditionGrid>(w.form.get(), "StringGrid1")->horizontalHeaderItem(column)->text());
        QCOMPARE(titles, QStringList({"Propriété", "Condition", "Valeur 1", "Valeur 2", "Affiche", "Type"}));
        QCOMPARE(Find<QComboBox>(w.form.get(), "OperationsComboBox")->count(), 13);
        QCOMPARE(Find<QComboBox>(w.form.get(), "OperationsComboBox")->itemText(2), QStringLiteral("n'existe pas"));
        QCOMPARE(Find<QComboBox>(w.form.get(), "OperationsComboBox")->itemText(12),
                 QStringLiteral("supérieur ou égal"));
        QCOMPARE(Find<QComboBox>(w.form.get(), "OperationsComboBox")->currentIndex(), 0);
        QCOMPARE(Find<QComboBox>(w.form.get(), "OuiNonComboBox")->itemText(0), QStringLiteral("oui"));
        QCOMPARE(Find<QComboBox>(w.form.get(), "OuiNonComboBox")->itemText(1), QStringLiteral("non"));
        QCOMPARE(Find<TChoiceComboBox>(w.form.get(), "SeparateurComboBox")->currentText(), QStringLiteral("Tab"));
        QCOMPARE(Find<TChoiceComboBox>(w.form.get(), "ValSeparateurComboBox")->currentText(), QStringLiteral("Space"));
        QCOMPARE(Find<TChoiceComboBox>(w.form.get(), "ValSeparateurComboBox")->count(), 6);
        QCOMPARE(Find<TChoiceComboBox>(w.form.get(), "EntoureComboBox")->currentText(), QStringLiteral("\""));
        QVERIFY(Find<QCheckBox>(w.form.get(), "SortedCBX")->isChecked() &&
                Find<QCheckBox>(w.form.get(), "CleanCtxCBX")->isChecked() &&
                Find<QCheckBox>(w.form.get(), "ChampsCBX")->isChecked() &&
                Find<QCheckBox>(w.form.get(), "EntoureCBX")->isChecked());
        QVERIFY(!Find<QCheckBox>(w.form.get(), "RecursiveCBX")->isChecked() &&
                !Find<QCheckBox>(w.form.get(), "AddContainerCBX")->isChecked() &&
                !Find<QCheckBox>(w.form.get(), "SQLCBX")->isChecked());
        QCOMPARE(Find<QLineEdit>(w.form.get(), "FilterEdit")->text(), QStringLiteral("*"));
    }

    void queryFileNameInTheCaption()
    {
        WindowFixture w;
        w.form->SetQueryFileName(QStringLiteral("/tmp/a b.REQ"));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Veltrane [/tmp/a b.REQ ]"));
        w.form->SetQueryFileName(QString());
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Veltrane"));
    }

    void closingAnUnchangedQueryAsksNothing()
    {
        WindowFixture w;
        QVERIFY(w.form->close());
        QVERIFY(w.prompts.Texts("question").isEmpty());
    }

    void closingAModifiedUntitledQueryAsks()
    {
        WindowFixture w;
        w.form->Modified = true;
        w.prompts.answers = {TPrompts::Answer::Cancel};
        Find<QPushButton>(w.form.get(), "CancelBTN")->click();
        QVERIFY(w.form->isVisible());
        QCOMPARE(
            w.prompts.Texts("question"),
            QStringList(QStringLiteral("La requête fichier sans titre a été modifié. Enregistrer les changements ?")));
        // The menu's Quit goes through the same question; No closes.
        w.prompts.answers = {TPrompts::Answer::No};
        Find<QAction>(w.form.get(), "Quitter1")->trigger();
        QVERIFY(!w.form->isVisible());
        QCOMPARE(w.prompts.Texts("question").size(), 2);
    }

    void yesThenCancellingTheSaveDialogCloses()
    {
        WindowFixture w;
        w.form->Modified = true;
        w.form->SetQueryFileName(QStringLiteral("/tmp/q.REQ"));
        w.prompts.answers = {TPrompts::Answer::Yes};
        QVERIFY(w.form->close());
        QVERIFY(w.prompts.Texts("question").constFirst().contains(QStringLiteral("fichier /tmp/q.REQ a été")));
        QCOMPARE(w.prompts.fileRequests.size(), 1); // the save dialog opened although the query had a name
        QCOMPARE(w.prompts.fileRequests.constFirst().defaultSuffix, QStringLiteral("req"));
        QCOMPARE(w.prompts.fileRequests.constFirst().proposedName, QStringLiteral("/tmp/q.REQ"));
    }

    void yesThenAFailingSaveKeepsTheWindowOpen()
    {
        WindowFixture w;
        w.form->Modified = true;
        w.prompts.answers = {TPrompts::Answer::Yes};
        w.prompts.files = {QStringLiteral("/nonexistent-folder/q.REQ")};
        QVERIFY(!w.form->close());
        QCOMPARE(w.prompts.Texts("error").size(), 1);
        QVERIFY(w.form->Modified);
    }

    void aRefusedDirectoryFileIsShownAndTheWindowOpens()
    {
        TDirectorySource source;
        source.directoryFile = QStringLiteral("/nonexistent/directory.json");
        WindowFixture w(source);
        QCOMPARE(w.prompts.Texts("report").size(), 1);
        QVERIFY(w.form->isVisible());
        QCOMPARE(Find<QListWidget>(w.form.get(), "ClassListBox")->count(), 0);
        QVERIFY(!Find<QPushButton>(w.form.get(), "NextBtn")->isEnabled());
    }
};

QTEST_MAIN(TestUiFrame)
#include "test_ui_frame.moc"
