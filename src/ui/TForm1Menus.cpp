#include "ui/TForm1.h"

#include "query/QueryFile.h"
#include "ui/TAboutBox.h"
#include "ui/TPrompts.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

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

    // The opening, saving, printing and editing of the results come with the File and
    // Edit menus' own commands; until then their items are shown disabled.
    for (QAction *pending : {Ouvrir1, OuvrirunerequteenSQL1, Enregistrer1, Enregistrersous1, EnregistrerlarequteenSQL1,
                             Exporterlesrsultats1, Configurationdelimpression1, Imprimerlesrsultats1, Dfaire1, Couper1,
                             Copier1, Coller1, Effacer1, Chercher1, Remplacer1})
        pending->setEnabled(false);

    connect(Quitter1, &QAction::triggered, this, &QWidget::close);
    connect(Apropos1, &QAction::triggered, this, &TForm1::Apropos1Click);
}

bool TForm1::Enregistrersous1Click()
{
    TPrompts::FileRequest request;
    request.filter = QStringLiteral("Requêtes (*.REQ)|*.REQ|Tous (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("REQ");
    request.folder = programFolder_;
    request.proposedName = QueryFileName.isEmpty() ? QString() : QFileInfo(QueryFileName).fileName();
    const std::optional<QString> path = prompts_.SaveFile(this, request);
    if (!path)
        return true;
    const TQueryFileSave saved = SaveQueryFile(*path, QueryFromControls());
    if (saved.queryFileWritten) {
        SetQueryFileName(*path);
        Modified = false;
    }
    if (!saved.status.IsOk()) {
        ShowError(saved.status.message);
        return false;
    }
    return true;
}

void TForm1::Apropos1Click()
{
    if (aboutBox_)
        aboutBox_->exec();
}
