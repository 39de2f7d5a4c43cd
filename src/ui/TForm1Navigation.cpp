#include "ui/TForm1.h"

#include "directory/tNDS.h"
#include "query/ExportJobOf.h"
#include "query/SqlText.h"
#include "ui/TChoiceComboBox.h"
#include "ui/TConditionGrid.h"
#include "ui/TExportForm.h"
#include "ui/TPropertyList.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>

#include <exception>

namespace {

const QString kPropertiesStatus = QStringLiteral("Selection des propriétés et leur ordre d'exportation.");

} // namespace

void TForm1::Notebook1PageChanged()
{
    const int p = Notebook1->currentIndex();
    PrevBtn->setEnabled(p > 0);
    FinishBtn->setVisible(p == 3);
    SaveBTN->setVisible(p == 4);
    NextBtn->setEnabled(p < 4);
    Edition1->setEnabled(p == 4);
    Edition1->menuAction()->setEnabled(p == 4);
    // The File items' shortcuts follow the page even while the menu stays closed.
    Fichier1Click();
    switch (p) {
    case 0:
        NextBtn->setEnabled(!SelectedClass().isEmpty());
        StatusBar1->showMessage(kPropertiesStatus);
        LastPage = 0;
        break;
    case 1:
        EnterPropertiesPage();
        StatusBar1->showMessage(kPropertiesStatus);
        LastPage = 1;
        break;
    case 2:
        BuildConditionGrid();
        StatusBar1->showMessage(QStringLiteral("Filtres sur les propriétés."));
        LastPage = 2;
        break;
    case 3:
        if (LastPage == 2) {
            MemoSum->clear();
            MemoSum->setPlainText(BuildSqlText(Filters, SelectedClass(), SortedCBX->isChecked()));
        }
        EntoureComboBox->setEnabled(EntoureCBX->isChecked());
        for (TChoiceComboBox *box : {SeparateurComboBox, EntoureComboBox, ValSeparateurComboBox})
            box->ResetTextFromChoice();
        FinishBtn->setEnabled(SeparateurComboBox->currentText() != ValSeparateurComboBox->currentText());
        StatusBar1->showMessage(QStringLiteral("Selection des options d'exportation."));
        LastPage = 3;
        break;
    case 4:
        LastPage = 4;
        StatusBar1->showMessage(QStringLiteral("Résultats de la recherche."));
        break;
    default:
        break;
    }
    // The keyboard goes on where the page begins, unless the page has given the focus to
    // one of its controls itself (the grid's drop-down).
    if (!Notebook1->currentWidget()->isAncestorOf(focusWidget())) {
        QWidget *const first[] = {TreeComboBox, PropertiesListBox1, StringGrid1, SortedCBX, Memo1};
        first[p]->setFocus(Qt::TabFocusReason);
    }
}

void TForm1::NextBtnClick()
{
    const int page = Notebook1->currentIndex();
    if (page >= 4)
        return;
    if (page == 2 && !CollectConditions())
        return;
    Notebook1->setCurrentIndex(page + 1);
}

void TForm1::PrevBtnClick()
{
    const int page = Notebook1->currentIndex();
    if (page > 0)
        Notebook1->setCurrentIndex(page - 1);
}

void TForm1::FinishBtnClick()
{
    NextBtnClick();
    if (tNDS *directory = Directory(); directory && exportForm_) {
        runQuery_ = QueryFromControls();
        const TExportJob job = ExportJobOf(runQuery_);
        try {
            exportForm_->Execute(*directory, job, {Memo1, HitsCount, ObjectsScanned});
        } catch (const std::exception &error) {
            ShowError(QString::fromLocal8Bit(error.what()));
        }
    }
    CancelBTN->setText(QStringLiteral("Quitter"));
}
