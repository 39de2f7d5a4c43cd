#include "ui/TForm1.h"

#include "query/ExportJobOf.h"
#include "query/ResultsEncoding.h"
#include "query/ResultsFile.h"
#include "query/SqlText.h"
#include "ui/ResultLines.h"
#include "ui/TAboutBox.h"
#include "ui/TBusyCursor.h"
#include "workbook/TWorkbookWriter.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>

void TForm1::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto menu = [bar](const char *name, const char *text) {
        QMenu *m = bar->addMenu(QString::fromUtf8(text));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    const auto item = [this](QMenu *m, const char *name, const char *text, const QKeySequence &shortcut = {}) {
        QAction *a = m->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(shortcut);
        addAction(a);
        return a;
    };

    Fichier1 = menu("Fichier1", "&File");
    Ouvrir1 = item(Fichier1, "Ouvrir1", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O));
    OuvrirunerequteenSQL1 = item(Fichier1, "OuvrirunerequteenSQL1", "Open SQL query...");
    Fichier1->addSeparator();
    Enregistrer1 = item(Fichier1, "Enregistrer1", "&Save", QKeySequence(Qt::CTRL | Qt::Key_E));
    Enregistrersous1 = item(Fichier1, "Enregistrersous1", "Save &as...");
    EnregistrerlarequteenSQL1 = item(Fichier1, "EnregistrerlarequteenSQL1", "Save as SQL...");
    Fichier1->addSeparator();
    Exporterlesrsultats1 = item(Fichier1, "Exporterlesrsultats1", "Export results...");
    Fichier1->addSeparator();
    Configurationdelimpression1 = item(Fichier1, "Configurationdelimpression1", "Print setup...");
    Imprimerlesrsultats1 = item(Fichier1, "Imprimerlesrsultats1", "Print results");
    Fichier1->addSeparator();
    Quitter1 = item(Fichier1, "Quitter1", "E&xit");

    Edition1 = menu("Edition1", "&Edit");
    Dfaire1 = item(Edition1, "Dfaire1", "&Undo");
    Edition1->addSeparator();
    Couper1 = item(Edition1, "Couper1", "Cu&t");
    Copier1 = item(Edition1, "Copier1", "&Copy");
    Coller1 = item(Edition1, "Coller1", "&Paste");
    Edition1->addSeparator();
    Effacer1 = item(Edition1, "Effacer1", "&Delete");
    Edition1->addSeparator();
    Chercher1 = item(Edition1, "Chercher1", "&Find...");
    Remplacer1 = item(Edition1, "Remplacer1", "&Replace...");

    Aide1 = menu("Aide1", "&Help");
    Apropos1 = item(Aide1, "Apropos1", "&About...");

    const auto on = [this](QAction *action, void (TForm1::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    connect(Fichier1, &QMenu::aboutToShow, this, &TForm1::Fichier1Click);
    on(Ouvrir1, &TForm1::Ouvrir1Click);
    on(OuvrirunerequteenSQL1, &TForm1::OuvrirunerequteenSQL1Click);
    connect(Enregistrer1, &QAction::triggered, this, [this] { Enregistrer1Click(); });
    connect(Enregistrersous1, &QAction::triggered, this, [this] { Enregistrersous1Click(); });
    on(EnregistrerlarequteenSQL1, &TForm1::EnregistrerlarequteenSQL1Click);
    on(Exporterlesrsultats1, &TForm1::Exporterlesrsultats1Click);
    on(Configurationdelimpression1, &TForm1::Configurationdelimpression1Click);
    on(Imprimerlesrsultats1, &TForm1::Imprimerlesrsultats1Click);
    connect(Quitter1, &QAction::triggered, this, &QWidget::close);
    connect(Edition1, &QMenu::aboutToShow, this, &TForm1::Edition1Click);
    on(Dfaire1, &TForm1::Dfaire1Click);
    on(Couper1, &TForm1::Couper1Click);
    on(Copier1, &TForm1::Copier1Click);
    on(Coller1, &TForm1::Coller1Click);
    on(Effacer1, &TForm1::Effacer1Click);
    on(Chercher1, &TForm1::Chercher1Click);
    on(Remplacer1, &TForm1::Remplacer1Click);
    on(Apropos1, &TForm1::Apropos1Click);
}

namespace {

const QString kQueryFilter = QStringLiteral("Fichiers de requêtes (*.REQ)|*.REQ|Tous (*.*)|*.*");
const QString kSqlFilter = QStringLiteral("Fichiers SQL (*.SQL)|*.SQL|Tous (*.*)|*.*");
const QString kResultsFilter =
    QStringLiteral("Fichiers textes (*.TXT)|*.TXT|Classeur Excel (*.xlsx)|*.xlsx|Tous (*.*)|*.*");

} // namespace

void TForm1::Fichier1Click()
{
    const int page = Notebook1->currentIndex();
    Ouvrir1->setEnabled(page == 0);
    OuvrirunerequteenSQL1->setEnabled(page == 0);
    for (QAction *save : {Enregistrer1, Enregistrersous1, EnregistrerlarequteenSQL1})
        save->setEnabled(page == 3 || page == 4);
    Exporterlesrsultats1->setEnabled(page == 4);
    Configurationdelimpression1->setEnabled(true);
    Imprimerlesrsultats1->setEnabled(page == 4);
}

TPrompts::FileRequest TForm1::FileRequest(const QString &filter, const QString &suffix,
                                          const QString &proposedName) const
{
    TPrompts::FileRequest request;
    request.filter = filter;
    request.defaultSuffix = suffix;
    request.folder = programFolder_;
    request.proposedName = proposedName;
    return request;
}

void TForm1::Ouvrir1Click()
{
    if (const std::optional<QString> path = prompts_.OpenFile(this, FileRequest(kQueryFilter, QStringLiteral("req"))))
        LoadQueryFile(*path);
}

void TForm1::OuvrirunerequteenSQL1Click()
{
    if (const std::optional<QString> path = prompts_.OpenFile(this, FileRequest(kSqlFilter, QStringLiteral("sql"))))
        OpenSqlQueryFile(*path);
}

bool TForm1::Enregistrer1Click()
{
    return QueryFileName.isEmpty() ? Enregistrersous1Click() : SaveQueryFile(QueryFileName);
}

bool TForm1::Enregistrersous1Click()
{
    const std::optional<QString> path =
        prompts_.SaveFile(this, FileRequest(kQueryFilter, QStringLiteral("req"), QueryFileName));
    return !path || SaveQueryFile(*path);
}

void TForm1::EnregistrerlarequteenSQL1Click()
{
    const std::optional<QString> path =
        prompts_.SaveFile(this, FileRequest(kSqlFilter, QStringLiteral("sql"), SqlNameOf(QueryFileName)));
    if (!path)
        return;
    const TQueryDefinition query = QueryFromControls();
    if (const TQueryStatus written = WriteSqlFile(*path, query.Filters, query.className, query.sortbycn);
        !written.IsOk())
        ShowError(written.message);
}

void TForm1::Exporterlesrsultats1Click()
{
    const std::optional<QString> path = prompts_.SaveFile(this, FileRequest(kResultsFilter, QStringLiteral("TXT")));
    if (!path)
        return;
    QString error;
    {
        const TBusyCursor busy;
        QStringList lines = ResultLines(*Memo1);
        // A text that ends with a line break has no line after it.
        if (!lines.isEmpty() && lines.constLast().isEmpty())
            lines.removeLast();
        // A workbook takes the lines apart as the run that wrote them put them together.
        if (path->endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
            error = WriteWorkbook(*path, lines, WorkbookLayoutOf(ExportJobOf(runQuery_)));
        else
            error = WriteResultsFile(*path, lines, ResultsEncoding::FromName(EncodingComboBox->currentText())).message;
    }
    if (!error.isEmpty())
        ShowError(error);
}

void TForm1::Apropos1Click()
{
    if (aboutBox_)
        aboutBox_->exec();
}
