#include "GuiHelpers.h"
#include "WorkbookReader.h"

#include "query/QueryFile.h"
#include "ui/ResultLines.h"
#include "ui/TExportForm.h"

#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <stdexcept>

namespace {

TDirectorySource ExportDirectory()
{
    TDirectorySource source;
    source.directoryFile = QStringLiteral(VELTRANE_TEST_DATA "/export-directory.json");
    return source;
}

// Every line of the results view as the results file holds it: each line ended by
// CR LF, in UTF-8.
QByteArray ResultBytes(const QPlainTextEdit *memo)
{
    QByteArray bytes;
    for (const QString &line : ResultLines(*memo))
        bytes += (line + QStringLiteral("\r\n")).toUtf8();
    return bytes;
}

// Prompts that also run a hook when the information box is shown.
struct InfoHookPrompts : ScriptedPrompts {
    std::function<void()> onInfo;
    void Info(QWidget *parent, const QString &text) override
    {
        ScriptedPrompts::Info(parent, text);
        if (onInfo)
            onInfo();
    }
};

} // namespace

// The window on the export directory with its progress window, the start delay left out.
struct ExportWindow {
    InfoHookPrompts prompts;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TExportForm> exportForm;

    ExportWindow()
    {
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        form = std::make_unique<TForm1>(prompts, ExportDirectory());
        // Every queued click is then seen at the run's next step.
        form->SetEventPumpInterval(0);
        exportForm = std::make_unique<TExportForm>(prompts);
        exportForm->SetStartDelay(0);
        exportForm->SetProgressInterval(0);
        form->SetDialogs(nullptr, exportForm.get());
        form->show();
    }
    // From page 0 to the options page with these properties chosen, in this order.
    void ToOptions(const QStringList &properties, const std::function<void()> &onConditions = {})
    {
        Next(form.get());
        ChooseProperties(form.get(), properties);
        Next(form.get());
        if (onConditions)
            onConditions();
        Next(form.get());
        Check(Find<QCheckBox>(form.get(), "EntoureCBX"), false);
    }
    void Condition(int row, int op, const QString &v1)
    {
        ChooseOperator(form.get(), row, op);
        Find<TConditionGrid>(form.get(), "StringGrid1")->SetCell(2, row, v1);
    }
    static void Pick(TChoiceComboBox *box, int k) { ChooseItem(box, k); }
    static void Check(QCheckBox *box, bool on)
    {
        if (box->isChecked() != on)
            box->click();
    }
};

class TestUiExport : public QObject
{
    Q_OBJECT

private slots:
    void theWindowWritesTheBytesOfTheCommandLineTool_data()
    {
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<bool>("container");
        QTest::addColumn<bool>("sql");
        QTest::addColumn<int>("delimiter"); // -1: none
        QTest::addColumn<int>("separator");
        QTest::addColumn<int>("valueSeparator");
        QTest::addColumn<int>("condition"); // operator on Surname, with "O"
        QTest::newRow("defaults") << true << false << false << false << -1 << 0 << 0 << 0;
        QTest::newRow("quotes, ';', ',' values, container, SQL, recursive")
            << true << true << true << true << 0 << 2 << 1 << 0;
        QTest::newRow("unsorted, apostrophe, no value separator, a condition")
            << false << true << false << false << 1 << 1 << 5 << 5;
        QTest::newRow("Tab between values, '.' between fields, 'contient'")
            << true << true << true << false << -1 << 3 << 4 << 6;
    }

    void theWindowWritesTheBytesOfTheCommandLineTool()
    {
        QFETCH(bool, sorted);
        QFETCH(bool, recursive);
        QFETCH(bool, container);
        QFETCH(bool, sql);
        QFETCH(int, delimiter);
        QFETCH(int, separator);
        QFETCH(int, valueSeparator);
        QFETCH(int, condition);
        ExportWindow w;
        const QStringList properties = {"CN",    "Surname",          "Given Name", "Telephone Number",
                                        "Title", "Login Grace Limit"};
        w.ToOptions(properties, [&] {
            if (condition)
                w.Condition(2, condition, QStringLiteral("O"));
        });
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "SortedCBX"), sorted);
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "RecursiveCBX"), recursive);
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "AddContainerCBX"), container);
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "SQLCBX"), sql);
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "EntoureCBX"), delimiter >= 0);
        if (delimiter >= 0)
            ExportWindow::Pick(Find<TChoiceComboBox>(w.form.get(), "EntoureComboBox"), delimiter);
        ExportWindow::Pick(Find<TChoiceComboBox>(w.form.get(), "SeparateurComboBox"), separator);
        ExportWindow::Pick(Find<TChoiceComboBox>(w.form.get(), "ValSeparateurComboBox"), valueSeparator);
        QVERIFY(Find<QPushButton>(w.form.get(), "FinishBtn")->isEnabled());
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 4);
        QVERIFY(w.prompts.shown.isEmpty());

        QTemporaryDir dir;
        const QString query = dir.filePath(QStringLiteral("query.req"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(SaveQueryFile(query, w.form->QueryFromControls()).status.IsOk());
        QProcess cli;
        cli.start(VELTRANE_CLI, {"run", query, "--directory", ExportDirectory().directoryFile, "-o", out});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = file.readAll();
        QVERIFY(expected.count("\r\n") >= 2);
        QCOMPARE(ResultBytes(Find<QPlainTextEdit>(w.form.get(), "Memo1")), expected);

        // Saved from the results page, as text and as a workbook: the command line's.
        const QString saved = dir.filePath(QStringLiteral("saved.TXT"));
        w.prompts.files.push_back(saved);
        Find<QPushButton>(w.form.get(), "SaveBTN")->click();
        QFile savedFile(saved);
        QVERIFY(savedFile.open(QIODevice::ReadOnly));
        QCOMPARE(savedFile.readAll(), expected);
        const QString book = dir.filePath(QStringLiteral("saved.xlsx"));
        const QString cliBook = dir.filePath(QStringLiteral("cli.xlsx"));
        w.prompts.files.push_back(book);
        Find<QPushButton>(w.form.get(), "SaveBTN")->click();
        QVERIFY(w.prompts.shown.isEmpty());
        cli.start(VELTRANE_CLI, {"run", query, "--directory", ExportDirectory().directoryFile, "-o", cliBook});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QList<QStringList> rows = SheetTexts(ReadWorkbook(book).at(0).toObject());
        QCOMPARE(rows, SheetTexts(ReadWorkbook(cliBook).at(0).toObject()));
        QCOMPARE(rows.size(), expected.count("\r\n"));
    }

    void theProgressWindowShowsTheStepsAndTheCounters()
    {
        ExportWindow w;
        TExportForm fresh(w.prompts);
        QCOMPARE(fresh.Timer1->interval(), 1000);
        QVERIFY(!fresh.Timer1->isActive());

        w.ToOptions({"CN", "Surname"});
        QStringList captions;
        connect(w.exportForm.get(), &QWidget::windowTitleChanged, w.exportForm.get(),
                [&captions](const QString &title) { captions.append(title); });
        QString startLabel;
        QTimer::singleShot(0, w.exportForm.get(), [&] { startLabel = w.exportForm->L1->text(); });
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QCOMPARE(captions, QStringList({"Exportation en cours", "Determination des membres de la classe User",
                                        "Recherche et filtrage des propriétés..."}));
        QCOMPARE(startLabel, QStringLiteral("Lecture de Sales.Acme"));
        QCOMPARE(w.exportForm->BitBtn1->text(), QStringLiteral("Annuler"));
        QVERIFY(!w.exportForm->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Find<QLabel>(w.form.get(), "ObjectsScanned")->text(), QStringLiteral("6 objets analysés"));
        QCOMPARE(Find<QLabel>(w.form.get(), "HitsCount")->text(), QStringLiteral("6 lignes trouvées"));
        QCOMPARE(w.exportForm->ProgressBar1->maximum(), 6);
        QCOMPARE(w.exportForm->ProgressBar1->value(), 6);
        QCOMPARE(ResultLines(*Find<QPlainTextEdit>(w.form.get(), "Memo1")).size(), 7);
        QCOMPARE(ResultLines(*Find<QPlainTextEdit>(w.form.get(), "Memo1")).constFirst(), QStringLiteral("CN\tSurname"));
    }

    void noObjectFoundKeepsOnlyTheSqlText()
    {
        ExportWindow w;
        Find<QLineEdit>(w.form.get(), "FilterEdit")->setText(QStringLiteral("zz*"));
        w.ToOptions({"CN"});
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "SQLCBX"), true);
        const QStringList sql = {"SELECT CN", "FROM User", "ORDER BY CN"};
        QStringList behindTheBox;
        w.prompts.onInfo = [&] { behindTheBox = ResultLines(*Find<QPlainTextEdit>(w.form.get(), "Memo1")); };
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QCOMPARE(w.prompts.Texts("info"), QStringList{" Aucun objet trouvé"});
        QCOMPARE(behindTheBox, sql);
        QCOMPARE(ResultLines(*Find<QPlainTextEdit>(w.form.get(), "Memo1")), sql);
        QVERIFY(Find<QLabel>(w.form.get(), "HitsCount")->text().isEmpty() &&
                Find<QLabel>(w.form.get(), "ObjectsScanned")->text().isEmpty());
        QVERIFY(!w.exportForm->isVisible());
    }

    // A keyboard user takes the wizard from start-up to saved results without the mouse:
    // the tree, the context (up and down again), the class, three properties put in
    // order, a condition with two values on row 2, row 3 not shown (with a condition, as
    // it must), a separator, Export,
    // the results saved as text. The file holds what the command line tool writes for the
    // query saved from the window.
    void theWholeWizardByKeyboardAlone()
    {
        ExportWindow w;
        TForm1 *form = w.form.get();
        Activate(form);
        auto *pages = Find<QStackedWidget>(form, "Notebook1");
        auto *grid = Find<TConditionGrid>(form, "StringGrid1");
        const auto press = [](Qt::Key key, int times) {
            for (int i = 0; i < times; ++i)
                Press(key);
        };

        TabTo(Find(form, "TreeComboBox"));
        QCOMPARE(Find<QComboBox>(form, "TreeComboBox")->currentText(), QStringLiteral("ACME"));
        TabTo(Find(form, "CtxListBox"));
        Press(Qt::Key_Home); // ".."
        Press(Qt::Key_Return);
        QCOMPARE(Find<QLineEdit>(form, "ContextEdit")->text(), QStringLiteral("Acme"));
        Press(Qt::Key_End); // "Sales"
        Press(Qt::Key_Return);
        QCOMPARE(Find<QLineEdit>(form, "ContextEdit")->text(), QStringLiteral("Sales.Acme"));
        TabTo(Find(form, "ClassListBox"));
        Type(QStringLiteral("Us"));
        Press(Qt::Key_Return);
        QCOMPARE(pages->currentIndex(), 1);

        TabTo(Find(form, "PropertiesListBox1"));
        Type(QStringLiteral("Su"));
        Press(Qt::Key_Return); // Surname
        Press(Qt::Key_Home);
        Press(Qt::Key_Return); // CN
        Press(Qt::Key_Down);
        Press(Qt::Key_Return); // Given Name
        TabTo(Find(form, "PropertiesListBox2"));
        Press(Qt::Key_Home);
        Press(Qt::Key_Down);
        Press(Qt::Key_Up, Qt::ControlModifier); // CN first
        QCOMPARE(Texts(Find<QListWidget>(form, "PropertiesListBox2")), QStringList({"CN", "Surname", "Given Name"}));
        TabTo(Find(form, "NextBtn"));
        Press(Qt::Key_Space);
        QCOMPARE(pages->currentIndex(), 2);

        // The operator drop-down opens on row 1; row 2 gets "entre" A and M, row 3 "non".
        QCOMPARE(Focused(), Find(form, "OperationsComboBox"));
        Press(Qt::Key_Escape);
        Press(Qt::Key_Down);
        press(Qt::Key_Down, 8);
        Press(Qt::Key_Return);
        Press(Qt::Key_Right);
        Type(QStringLiteral("a"));
        Press(Qt::Key_Tab);
        Type(QStringLiteral("m"));
        Press(Qt::Key_Tab);  // Affiche of row 2
        Press(Qt::Key_Tab);  // Condition of row 3
        Press(Qt::Key_Down); // existe: a property not shown needs a condition
        Press(Qt::Key_Tab);  // Affiche of row 3: the values of "existe" are passed over
        QCOMPARE(Focused(), Find(form, "OuiNonComboBox"));
        Press(Qt::Key_Down);
        Press(Qt::Key_Return);
        QCOMPARE(QStringList({grid->Cell(1, 1), grid->Cell(4, 1)}), QStringList({"aucune", "oui"}));
        QCOMPARE(QStringList({grid->Cell(1, 2), grid->Cell(2, 2), grid->Cell(3, 2), grid->Cell(4, 2)}),
                 QStringList({"entre", "a", "m", "oui"}));
        QCOMPARE(QStringList({grid->Cell(1, 3), grid->Cell(4, 3)}), QStringList({"existe", "non"}));
        TabTo(Find(form, "NextBtn"));
        Press(Qt::Key_Space);
        QCOMPARE(pages->currentIndex(), 3);

        TabTo(Find(form, "SeparateurComboBox"));
        press(Qt::Key_Down, 2); // ";"
        TabTo(Find(form, "FinishBtn"));
        Press(Qt::Key_Space);
        QCOMPARE(pages->currentIndex(), 4);
        QVERIFY(w.prompts.shown.isEmpty());

        Activate(form);
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("saved.txt"));
        const QString query = dir.filePath(QStringLiteral("query.req"));
        TabTo(Find(form, "SaveBTN"));
        w.prompts.files.push_back(saved);
        Press(Qt::Key_Space);
        w.prompts.files.push_back(query);
        Press(Qt::Key_E, Qt::ControlModifier); // Enregistrer
        QVERIFY(w.prompts.shown.isEmpty());
        QVERIFY(w.prompts.files.empty());

        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QProcess cli;
        cli.start(VELTRANE_CLI, {"run", query, "--directory", ExportDirectory().directoryFile, "-o", out});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QFile expected(out);
        QFile written(saved);
        QVERIFY(expected.open(QIODevice::ReadOnly) && written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QCOMPARE(bytes, expected.readAll());
        QCOMPARE(bytes.left(bytes.indexOf('\r')), QByteArray("\"CN\";\"Surname\""));
        QVERIFY(bytes.count("\r\n") >= 3);
        QVERIFY(!bytes.contains("O'Brien") && !bytes.contains("John"));
    }

    void cancelWhileCollectingWritesNothing()
    {
        ExportWindow w;
        w.ToOptions({"CN", "Surname"});
        connect(w.exportForm.get(), &QWidget::windowTitleChanged, w.exportForm.get(), [&w](const QString &title) {
            if (title.startsWith(QStringLiteral("Determination")))
                QTimer::singleShot(0, w.exportForm->BitBtn1, &QPushButton::click);
        });
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QVERIFY(ResultLines(*Find<QPlainTextEdit>(w.form.get(), "Memo1")).isEmpty());
        QVERIFY(Find<QLabel>(w.form.get(), "HitsCount")->text().isEmpty() &&
                Find<QLabel>(w.form.get(), "ObjectsScanned")->text().isEmpty());
        QVERIFY(w.prompts.shown.isEmpty());
        QVERIFY(!w.exportForm->isVisible());
        QVERIFY(!QApplication::overrideCursor());
    }

    // The user stops the run while the second object is read, with the Cancel button or
    // by closing the window: the current line is kept and counted, nothing follows, and
    // the window closes when the run has stopped, not before.
    void cancelWhileReadingKeepsTheCurrentLine_data()
    {
        QTest::addColumn<QString>("by");
        QTest::newRow("Annuler") << "button";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("closing the window") << "close";
    }

    void cancelWhileReadingKeepsTheCurrentLine()
    {
        QFETCH(QString, by);
        ExportWindow w;
        w.ToOptions({"CN", "Surname"});
        ExportWindow::Check(Find<QCheckBox>(w.form.get(), "AddContainerCBX"), true);
        TExportForm *progress = w.exportForm.get();
        bool visibleAfterCancel = false;
        connect(progress->ProgressBar1, &QProgressBar::valueChanged, progress, [&](int position) {
            if (position != 2)
                return;
            QTimer::singleShot(0, progress, [&, progress] {
                if (by == QLatin1String("Escape"))
                    QTest::keyClick(progress, Qt::Key_Escape);
                else if (by == QLatin1String("close"))
                    progress->close();
                else
                    progress->BitBtn1->click();
                visibleAfterCancel = progress->isVisible();
            });
        });
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QVERIFY(visibleAfterCancel);
        QCOMPARE(ResultLines(*Find<QPlainTextEdit>(w.form.get(), "Memo1")),
                 QStringList({"Contexte\tCN\tSurname", "Sales.Acme\tanon\t", "Sales.Acme"}));
        QCOMPARE(Find<QLabel>(w.form.get(), "HitsCount")->text(), QStringLiteral("2 lignes trouvées"));
        QVERIFY(!progress->isVisible());
    }

    void anErrorThatEscapesTheRunClosesTheWindowAndIsShown()
    {
        ExportWindow w;
        w.prompts.onInfo = [] { throw std::runtime_error("boîte impossible"); };
        Find<QLineEdit>(w.form.get(), "FilterEdit")->setText(QStringLiteral("zz*"));
        w.ToOptions({"CN"});
        Find<QPushButton>(w.form.get(), "FinishBtn")->click();
        QVERIFY(!w.exportForm->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(w.prompts.Texts("error"), QStringList{"boîte impossible"});
        QCOMPARE(Find<QStackedWidget>(w.form.get(), "Notebook1")->currentIndex(), 4);
    }
};

QTEST_MAIN(TestUiExport)
#include "test_ui_export.moc"
