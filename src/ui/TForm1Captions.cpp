#include "ui/TForm1.h"

#include "ui/TChoiceComboBox.h"
#include "ui/TConditionGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

// The captions the user sees, set whatever the locale.
void TForm1::ApplyFrenchCaptions()
{
    PrevBtn->setText(QStringLiteral("Précédent"));
    NextBtn->setText(QStringLiteral("Suivant"));
    FinishBtn->setText(QStringLiteral("Exporter"));
    CancelBTN->setText(QStringLiteral("Annuler"));
    Fichier1->setTitle(QStringLiteral("&Fichiers"));
    Quitter1->setText(QStringLiteral("&Quitter"));
    Enregistrersous1->setText(QStringLiteral("Enregistrer &sous..."));
    Enregistrer1->setText(QStringLiteral("&Enregistrer..."));
    Ouvrir1->setText(QStringLiteral("&Ouvrir..."));
    Aide1->setTitle(QStringLiteral("&Aide"));
    Apropos1->setText(QStringLiteral("&A propos..."));
    Label1->setText(QStringLiteral("Contexte actuel:"));
    Label2->setText(QStringLiteral("Filtre:"));
    Label3->setText(QStringLiteral("Classes disponibles:"));
    IncludeBtn->setToolTip(QStringLiteral("Ajouter"));
    IncAllBtn->setToolTip(QStringLiteral("Tout ajouter"));
    ExcludeBtn->setToolTip(QStringLiteral("Retirer"));
    ExAllBtn->setToolTip(QStringLiteral("Tout retirer"));
    ChampsCBX->setText(QStringLiteral("Inclure noms des champs"));
    EntoureCBX->setText(QStringLiteral("Avec le séparateur ci-dessous: "));
    Label5->setText(QStringLiteral("Delimiteur:"));
    Label6->setText(QStringLiteral("Séparateur de propriétés:"));
    Label7->setText(QStringLiteral("Conditions sur les propriétés"));
    RecursiveCBX->setText(QStringLiteral("Chercher les sous-contextes"));
    SortedCBX->setText(QStringLiteral("Trier par nom"));
    CleanCtxCBX->setText(QStringLiteral("Utiliser les noms courts"));
    Label8->setText(QStringLiteral("Propriétés disponibles"));
    Label9->setText(QStringLiteral("Propriétés choisies:"));
    UpBtn->setToolTip(QStringLiteral("Vers le haut"));
    DownBtn->setToolTip(QStringLiteral("Vers le bas"));
    Label10->setText(QStringLiteral("Séparateur entre valeurs:"));
    Label4->setText(QStringLiteral("Résultats de la recherche:"));
    SaveBTN->setText(QStringLiteral("Sauver..."));
    Exporterlesrsultats1->setText(QStringLiteral("Exporter les résultats..."));
    Configurationdelimpression1->setText(QStringLiteral("Configuration de l'impression..."));
    Imprimerlesrsultats1->setText(QStringLiteral("Imprimer les résultats"));
    EnregistrerlarequteenSQL1->setText(QStringLiteral("Enregistrer en SQL..."));
    SQLCBX->setText(QStringLiteral("Inclure le texte SQL"));
    OuvrirunerequteenSQL1->setText(QStringLiteral("Ouvrir une requête SQL..."));
    Edition1->setTitle(QStringLiteral("&Edition"));
    Remplacer1->setText(QStringLiteral("&Remplacer..."));
    Chercher1->setText(QStringLiteral("&Chercher..."));
    Coller1->setText(QStringLiteral("Coller"));
    Copier1->setText(QStringLiteral("Copier"));
    Couper1->setText(QStringLiteral("Couper"));
    Effacer1->setText(QStringLiteral("&Effacer"));
    Dfaire1->setText(QStringLiteral("&Annuler"));
    GroupBox1->setTitle(QStringLiteral("SQL de la requête:"));
    Label11->setText(QStringLiteral("Contextes:"));
    AddContainerCBX->setText(QStringLiteral("Ajouter le contexte en colonne 1"));

    // Every labelled control carries its label's text as its name for screen readers.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (QWidget *buddy = label->buddy())
            buddy->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')).trimmed());
    }
    StringGrid1->setAccessibleName(Label7->text());
}
