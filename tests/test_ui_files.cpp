// The File menu: which items each page offers, query files and SQL texts opened into the
// controls and saved from them, and the results saved in each encoding.

#include "GuiHelpers.h"

#include "query/QueryFile.h"
#include "ui/TQtPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// What veltrane-cli renders of a query file (sql or ctl).
QByteArray Rendered(const QString &command, const QString &query)
{
    QProcess cli;
    cli.start(VELTRANE_CLI, {command, query});
    cli.waitForFinished(60000);
    return cli.readAllStandardOutput();
}

// The enabled state of the File items, in menu order, the menu opened by Alt+F.
QList<bool> FileItems(TForm1 &form)
{
    OpenAndCloseMenu(&form, Qt::Key_F, QStringLiteral("Fichier1"));
    QList<bool> enabled;
    for (QAction *item :
         {Find<QAction>(&form, "Ouvrir1"), Find<QAction>(&form, "OuvrirunerequteenSQL1"),
          Find<QAction>(&form, "Enregistrer1"), Find<QAction>(&form, "Enregistrersous1"),
          Find<QAction>(&form, "EnregistrerlarequteenSQL1"), Find<QAction>(&form, "Exporterlesrsultats1"),
          Find<QAction>(&form, "Configurationdelimpression1"), Find<QAction>(&form, "Imprimerlesrsultats1"),
          Find<QAction>(&form, "Quitter1")})
        enabled << item->isEnabled();
    return enabled;
}

// From page 0 to the options page of User with CN chosen.
void ToOptionsPage(TForm1 &form)
{
    Next(&form);
    ChooseProperties(&form, {"CN"});
    Next(&form, 2);
}

// A query of User with every field away from its start-up value and two condition rows.
TQueryDefinition RichQuery()
{
    TQueryDefinition query;
    query.className = QStringLiteral("User");
    query.separator = QStringLiteral(";");
    query.valseparator = QStringLiteral(",");
    query.delimiter = QStringLiteral("'");
    query.filter = QStringLiteral("J*");
    query.context = QStringLiteral("Acme");
    query.fieldsonfirstline = false;
    query.usedelimiter = false;
    query.recursive = true;
    query.sortbycn = false;
    query.cleancontext = false;
    query.addcontainer = true;
    query.sqltop = true;
    query.encoding = QStringLiteral("Windows-1252");
    query.formulaguard = true;
    query.Properties = QStringList{"CN", "Surname"};
    query.Filters.Add(QStringLiteral("CN"), tCondition(3, dtString, "J", {}, QStringLiteral("String"), false));
    query.Filters.Add(QStringLiteral("Surname"), tCondition(0, dtString, {}, {}, QStringLiteral("String"), true));
    return query;
}

} // namespace

class TestUiFiles : public QObject
{
    Q_OBJECT

private slots:
    void eachPageOffersItsFileItems()
    {
        WindowFixture w;
        TForm1 &form = *w.form;
        QCOMPARE(FileItems(form), (QList<bool>{true, true, false, false, false, false, true, false, true}));
        Next(&form);
        ChooseProperties(&form, {"CN"});
        QCOMPARE(FileItems(form), (QList<bool>{false, false, false, false, false, false, true, false, true}));
        Next(&form, 2);
        QCOMPARE(FileItems(form), (QList<bool>{false, false, true, true, true, false, true, false, true}));
        Next(&form);
        QCOMPARE(FileItems(form), (QList<bool>{false, false, true, true, true, true, true, true, true}));
        // The shortcut of Open is off on the later pages even with the menu closed.
        QVERIFY(!Find<QAction>(&form, "Ouvrir1")->isEnabled());
        QCOMPARE(Find<QAction>(&form, "Ouvrir1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(Find<QAction>(&form, "Enregistrer1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    }

    // The File menu by its letters: Alt+F then O asks for a query file to open; on the
    // options page, Alt+F then S asks where to save it.
    void theFileMenuByItsLetters()
    {
        WindowFixture w;
        TForm1 &form = *w.form;
        Activate(&form);
        Press(Qt::Key_F, Qt::AltModifier);
        Press(Qt::Key_O);
        QCOMPARE(w.prompts.fileRequests.size(), 1);
        QCOMPARE(w.prompts.fileRequests.last().defaultSuffix, QStringLiteral("req"));
        ToOptionsPage(form);
        Activate(&form);
        Press(Qt::Key_F, Qt::AltModifier);
        Press(Qt::Key_S);
        QCOMPARE(w.prompts.fileRequests.size(), 2);
        QCOMPARE(w.prompts.fileRequests.last().filter,
                 QStringLiteral("Fichiers de requêtes (*.REQ)|*.REQ|Tous (*.*)|*.*"));
        QVERIFY(!QApplication::activePopupWidget());
    }

    void savingAnUntitledQueryAsksForItsName()
    {
        QTemporaryDir folder;
        WindowFixture w;
        TForm1 &form = *w.form;
        ToOptionsPage(form);

        // Save as SQL of an untitled query proposes ".sql" and changes neither the name
        // nor Modified.
        form.Modified = true;
        const QString sql = folder.filePath("untitled.sql");
        w.prompts.files.push_back(sql);
        Find<QAction>(&form, "EnregistrerlarequteenSQL1")->trigger();
        TPrompts::FileRequest request = w.prompts.fileRequests.takeLast();
        QCOMPARE(request.proposedName, QStringLiteral(".sql"));
        QCOMPARE(request.filter, QStringLiteral("Fichiers SQL (*.SQL)|*.SQL|Tous (*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("sql"));
        QCOMPARE(Bytes(sql), QByteArray("SELECT CN\r\nFROM User\r\nORDER BY CN\r\n"));
        QVERIFY(form.QueryFileName.isEmpty() && form.Modified);

        // Save without a name is Save as; a cancelled dialog saves nothing.
        Find<QAction>(&form, "Enregistrer1")->trigger();
        request = w.prompts.fileRequests.takeLast();
        QCOMPARE(request.filter, QStringLiteral("Fichiers de requêtes (*.REQ)|*.REQ|Tous (*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("req"));
        QCOMPARE(request.folder, QDir(QCoreApplication::applicationDirPath()).absolutePath() + QDir::separator());
        QVERIFY(form.QueryFileName.isEmpty() && form.Modified);

        const QString req = folder.filePath("Q.req");
        w.prompts.files.push_back(req);
        Find<QAction>(&form, "Enregistrer1")->trigger();
        QCOMPARE(form.QueryFileName, req);
        QCOMPARE(form.windowTitle(), QStringLiteral("Veltrane [%1 ]").arg(req));
        QVERIFY(!form.Modified);
        QVERIFY(QFile::exists(folder.filePath("Q.SQL")) && QFile::exists(folder.filePath("Q.CTL")));

        // Once named, Save asks nothing and Save as SQL proposes the query's own name.
        const qsizetype asked = w.prompts.fileRequests.size();
        Find<QAction>(&form, "Enregistrer1")->trigger();
        QCOMPARE(w.prompts.fileRequests.size(), asked);
        Find<QAction>(&form, "EnregistrerlarequteenSQL1")->trigger();
        QCOMPARE(w.prompts.fileRequests.takeLast().proposedName, folder.filePath("Q.sql"));
        // A save that cannot be written says so and keeps the name.
        w.prompts.files.push_back(folder.filePath("missing/R.req"));
        Find<QAction>(&form, "Enregistrersous1")->trigger();
        QCOMPARE(w.prompts.Texts("error").value(0),
                 QStringLiteral("Ne peut écrire dans %1").arg(folder.filePath("missing/R.req")));
        QCOMPARE(form.QueryFileName, req);
    }

    void anOpenedQuerySavesAsTheCommandLineRendersIt()
    {
        QTemporaryDir folder;
        const QString original = folder.filePath("A.REQ");
        QVERIFY(SaveQueryFile(original, RichQuery()).status.IsOk());

        WindowFixture w;
        TForm1 &form = *w.form;
        w.prompts.files.push_back(original);
        Find<QAction>(&form, "Ouvrir1")->trigger();
        QCOMPARE(w.prompts.fileRequests.last().filter,
                 QStringLiteral("Fichiers de requêtes (*.REQ)|*.REQ|Tous (*.*)|*.*"));
        QCOMPARE(w.prompts.shown.size(), 0);
        QCOMPARE(form.QueryFileName, original);
        QVERIFY(!form.Modified);
        QCOMPARE(Find<QLineEdit>(&form, "ContextEdit")->text(), QStringLiteral("Acme"));
        QCOMPARE(Find<QListWidget>(&form, "ClassListBox")->currentItem()->text(), QStringLiteral("User"));
        QCOMPARE(form.LastClassIndex, Find<QListWidget>(&form, "ClassListBox")->currentRow());
        QVERIFY(Find<QPushButton>(&form, "NextBtn")->isEnabled());
        QCOMPARE(Find<TChoiceComboBox>(&form, "SeparateurComboBox")->ChosenIndex(), 2);
        QCOMPARE(Find<TChoiceComboBox>(&form, "ValSeparateurComboBox")->ChosenIndex(), 1);
        QCOMPARE(Find<TChoiceComboBox>(&form, "EntoureComboBox")->ChosenIndex(), 1);
        QVERIFY(!Find<TChoiceComboBox>(&form, "EntoureComboBox")->isEnabled());
        QCOMPARE(Find<QLineEdit>(&form, "FilterEdit")->text(), QStringLiteral("J*"));
        QCOMPARE(Find<QComboBox>(&form, "EncodingComboBox")->currentText(), QStringLiteral("Windows-1252"));
        QVERIFY(Find<QCheckBox>(&form, "FormulaGuardCBX")->isChecked() &&
                Find<QCheckBox>(&form, "SQLCBX")->isChecked() &&
                Find<QCheckBox>(&form, "AddContainerCBX")->isChecked());
        QVERIFY(!Find<QCheckBox>(&form, "SortedCBX")->isChecked() &&
                !Find<QCheckBox>(&form, "ChampsCBX")->isChecked() &&
                !Find<QCheckBox>(&form, "CleanCtxCBX")->isChecked());
        QCOMPARE(Texts(Find<TPropertyList>(&form, "PropertiesListBox2")), (QStringList{"CN", "Surname"}));
        QCOMPARE(form.Filters.Count(), 2);

        Next(&form, 3);
        QVERIFY2(w.prompts.shown.isEmpty(), qPrintable(w.prompts.shown.value(0).text));
        QCOMPARE(Find<QStackedWidget>(&form, "Notebook1")->currentIndex(), 3);
        const QString copy = folder.filePath("B.req");
        w.prompts.files.push_back(copy);
        Find<QAction>(&form, "Enregistrersous1")->trigger();
        QCOMPARE(w.prompts.fileRequests.last().proposedName, original);
        QCOMPARE(Bytes(copy), Bytes(original));
        QCOMPARE(Bytes(folder.filePath("B.SQL")), Rendered("sql", original));
        QCOMPARE(Bytes(folder.filePath("B.CTL")), Rendered("ctl", original));
        QCOMPARE(Bytes(folder.filePath("B.SQL")), Bytes(folder.filePath("A.SQL")));
    }

    void queryFilesThatCannotBeUsedChangeNothing()
    {
        QTemporaryDir folder;
        WindowFixture w;
        TForm1 &form = *w.form;
        const QString unknown = folder.filePath("unknown.req");
        Write(unknown, "[options]\r\nclass=Printer\r\nfilter=X\r\n");
        w.prompts.files.push_back(unknown);
        Find<QAction>(&form, "Ouvrir1")->trigger();
        QCOMPARE(w.prompts.Texts("error"), QStringList{"La classe Printer n'est pas dans votre shéma"});
        QVERIFY(!Find<QPushButton>(&form, "NextBtn")->isEnabled());
        QCOMPARE(Find<QLineEdit>(&form, "FilterEdit")->text(), QStringLiteral("*"));
        QVERIFY(form.QueryFileName.isEmpty());

        // A choice that is none of the items leaves its box empty; a missing context
        // keeps the current one.
        const QString odd = folder.filePath("odd.req");
        Write(odd, "[options]\r\nseparator=|\r\nvalseparator=TAB\r\ncontext=OU=Gone.O=Acme\r\nencoding=ebcdic\r\n");
        w.prompts.files.push_back(odd);
        Find<QAction>(&form, "Ouvrir1")->trigger();
        QCOMPARE(Find<TChoiceComboBox>(&form, "SeparateurComboBox")->ChosenIndex(), -1);
        QCOMPARE(Find<TChoiceComboBox>(&form, "SeparateurComboBox")->currentText(), QString());
        QCOMPARE(Find<TChoiceComboBox>(&form, "ValSeparateurComboBox")->ChosenIndex(), 4);
        QCOMPARE(Find<QLineEdit>(&form, "ContextEdit")->text(), QStringLiteral("Sales.Acme"));
        QCOMPARE(Find<QComboBox>(&form, "EncodingComboBox")->currentText(), QStringLiteral("UTF-8"));
        QCOMPARE(form.QueryFileName, odd);
    }

    void anSqlTextNamesTheQueryAndMovesToTheProperties()
    {
        QTemporaryDir folder;
        WindowFixture w;
        TForm1 &form = *w.form;
        const int lastClass = form.LastClassIndex;
        const QString refused = folder.filePath("bad.sql");
        Write(refused, "SELECT CN\r\nFROM Printer\r\n");
        w.prompts.files.push_back(refused);
        Find<QAction>(&form, "OuvrirunerequteenSQL1")->trigger();
        QCOMPARE(w.prompts.Texts("error"), QStringList{"La classe \"Printer\" n'est pas definie dans votre shéma !"});
        QCOMPARE(Find<QStackedWidget>(&form, "Notebook1")->currentIndex(), 0);
        QVERIFY(form.QueryFileName.isEmpty());
        QCOMPARE(Find<TPropertyList>(&form, "PropertiesListBox2")->count(), 0);

        const QString sql = folder.filePath("Q.sql");
        Write(sql, "SELECT CN,Title\r\nFROM Group\r\n");
        form.Modified = true;
        w.prompts.files.push_back(sql);
        Find<QAction>(&form, "OuvrirunerequteenSQL1")->trigger();
        QCOMPARE(w.prompts.fileRequests.last().filter, QStringLiteral("Fichiers SQL (*.SQL)|*.SQL|Tous (*.*)|*.*"));
        QCOMPARE(w.prompts.fileRequests.last().defaultSuffix, QStringLiteral("sql"));
        QCOMPARE(w.prompts.shown.size(), 1);
        QCOMPARE(form.QueryFileName, folder.filePath("Q.req"));
        QCOMPARE(Find<QStackedWidget>(&form, "Notebook1")->currentIndex(), 1);
        QVERIFY(!form.Modified);
        QVERIFY(!Find<QCheckBox>(&form, "SortedCBX")->isChecked());
        QCOMPARE(Find<QListWidget>(&form, "ClassListBox")->currentItem()->text(), QStringLiteral("Group"));
        QCOMPARE(form.LastClassIndex, lastClass);
        QCOMPARE(form.Filters.Count(), 2);
    }

    void resultsAreSavedInTheChosenEncoding()
    {
        QTemporaryDir folder;
        WindowFixture w;
        TForm1 &form = *w.form;
        ToOptionsPage(form);
        Next(&form);
        Find<QPlainTextEdit>(&form, "Memo1")->setPlainText(QStringLiteral("CN;Nom\nÉlise;Prix 5 €\n"));
        const QString out = folder.filePath("out.txt");
        const auto save = [&](int encoding) {
            Find<QComboBox>(&form, "EncodingComboBox")->setCurrentIndex(encoding);
            w.prompts.files.push_back(out);
            Find<QPushButton>(&form, "SaveBTN")->click();
            return Bytes(out);
        };
        QCOMPARE(save(0), QByteArray("CN;Nom\r\n\xC3\x89lise;Prix 5 \xE2\x82\xAC\r\n"));
        const TPrompts::FileRequest request = w.prompts.fileRequests.last();
        QCOMPARE(request.filter,
                 QStringLiteral("Fichiers textes (*.TXT)|*.TXT|Classeur Excel (*.xlsx)|*.xlsx|Tous (*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("TXT"));
        QVERIFY(request.overwritePrompt);
        QCOMPARE(save(1), QByteArray("\xEF\xBB\xBF"
                                     "CN;Nom\r\n\xC3\x89lise;Prix 5 \xE2\x82\xAC\r\n"));
        QCOMPARE(save(2), QByteArray("CN;Nom\r\n\xC9lise;Prix 5 \x80\r\n"));
        QVERIFY(w.prompts.Texts("error").isEmpty());

        // A character the code page lacks refuses the save: the earlier file stays.
        Find<QPlainTextEdit>(&form, "Memo1")->setPlainText(QStringLiteral("CN\nWałęsa"));
        QCOMPARE(save(2), QByteArray("CN;Nom\r\n\xC9lise;Prix 5 \x80\r\n"));
        QCOMPARE(w.prompts.Texts("error"),
                 QStringList{"Le caractère U+0142 de la ligne 2, colonne 3 ne peut pas être écrit en Windows-1252."});
        QVERIFY(!QApplication::overrideCursor());
        Find<QPlainTextEdit>(&form, "Memo1")->setPlainText(QStringLiteral("a\U0001F600"));
        QCOMPARE(save(2), QByteArray("CN;Nom\r\n\xC9lise;Prix 5 \x80\r\n"));
        QCOMPARE(
            w.prompts.Texts("error").constLast(),
            QStringLiteral("Le caractère U+1F600 de la ligne 1, colonne 2 ne peut pas être écrit en Windows-1252."));
        // The text as the control holds it: blanks, tabs and an empty last line kept.
        Find<QPlainTextEdit>(&form, "Memo1")->setPlainText(QStringLiteral(" a\t\n\nb \n\n"));
        QCOMPARE(save(0), QByteArray(" a\t\r\n\r\nb \r\n\r\n"));
        // A file that cannot be written says why, with the cursor back.
        w.prompts.files.push_back(folder.filePath("missing/out.txt"));
        Find<QAction>(&form, "Exporterlesrsultats1")->trigger();
        QVERIFY(w.prompts.Texts("error").constLast().startsWith(
            QStringLiteral("Ne peut écrire dans %1: ").arg(folder.filePath("missing/out.txt"))));
        QVERIFY(!QApplication::overrideCursor());
    }

    void theFileTypeChosenGivesTheNameItsExtension()
    {
        QTemporaryDir folder;
        TQtPrompts prompts;
        TPrompts::FileRequest request;
        request.filter = QStringLiteral("Fichiers textes (*.TXT)|*.TXT|Classeur Excel (*.xlsx)|*.xlsx|Tous (*.*)|*.*");
        request.defaultSuffix = QStringLiteral("TXT");
        request.folder = folder.path();
        const auto save = [&](const QString &filter) {
            QTimer::singleShot(0, [&] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                if (!filter.isEmpty())
                    emit dialog->filterSelected(filter);
                dialog->selectFile(QStringLiteral("book"));
                static_cast<QDialog *>(dialog)->accept();
            });
            return prompts.SaveFile(nullptr, request).value_or(QString());
        };
        QCOMPARE(save(QString()), folder.filePath("book.TXT"));
        QCOMPARE(save(QStringLiteral("Classeur Excel (*.xlsx)")), folder.filePath("book.xlsx"));
        QCOMPARE(save(QStringLiteral("Tous (*.*)")), folder.filePath("book.TXT"));
    }

    void theFormulaGuardAndEncodingAreTheQuerysOwn()
    {
        WindowFixture w;
        TForm1 &form = *w.form;
        QCOMPARE(Find<QComboBox>(&form, "EncodingComboBox")->currentText(), QStringLiteral("UTF-8"));
        QCOMPARE(Find<QLabel>(&form, "EncodingLBL")->text(), QStringLiteral("Encodage des résultats:"));
        QCOMPARE(Find<QCheckBox>(&form, "FormulaGuardCBX")->text(), QStringLiteral("Protéger les formules"));
        QVERIFY(!Find<QCheckBox>(&form, "FormulaGuardCBX")->isChecked());
        Find<QCheckBox>(&form, "FormulaGuardCBX")->click();
        QVERIFY(form.Modified);
        Find<QComboBox>(&form, "EncodingComboBox")->setCurrentIndex(1);
        const TQueryDefinition query = form.QueryFromControls();
        QVERIFY(query.formulaguard);
        QCOMPARE(query.encoding, QStringLiteral("UTF-8 avec BOM"));
    }
};

QTEST_MAIN(TestUiFiles)
#include "test_ui_files.moc"
