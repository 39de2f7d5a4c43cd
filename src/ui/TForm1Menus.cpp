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

void TForm1::Fichier1Click() {}
void TForm1::Ouvrir1Click() {}
void TForm1::OuvrirunerequteenSQL1Click() {}
bool TForm1::Enregistrer1Click()
{
    return Enregistrersous1Click();
}
void TForm1::EnregistrerlarequteenSQL1Click() {}
void TForm1::Exporterlesrsultats1Click() {}

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
