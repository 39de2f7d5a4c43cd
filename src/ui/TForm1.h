#pragma once

#include "connect/TDirectoryConnection.h"
#include "query/TConditionList.h"
#include "query/TQueryDefinition.h"
#include "ui/TPrompts.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <QStringList>

#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class TAboutBox;
class TChoiceComboBox;
class TConditionGrid;
class TDirectorySchema;
class TExportForm;
class TPropertyList;
class tNDS;
// Edit menu
class TFindDialog;
class TReplaceDialog;

// The main window: a five-page wizard that builds a query, runs it against the directory
// and shows the result lines. One class; its implementation is split one source file
// per page or menu (TForm1Page0.cpp ... TForm1Page4.cpp, TForm1Navigation.cpp,
// TForm1Menus.cpp, TForm1Captions.cpp).
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // Creates the window and runs FormCreate: the connection is opened from source, its
    // start-up failures shown through prompts, and the window opens in every case. The
    // prompts must outlive the window.
    TForm1(TPrompts &prompts, const TDirectorySource &source, QWidget *parent = nullptr);
    ~TForm1() override;

    // The about box and the export window, created after the main window; both must
    // outlive it. Without them the about item and Export do nothing.
    void SetDialogs(TAboutBox *aboutBox, TExportForm *exportForm);

    // The window's caption: the application title, " [", the name and " ]"; the title
    // alone for an empty name.
    void SetQueryFileName(const QString &name);
    void ShowError(const QString &text);
    void ShowInfo(const QString &text);

    // How long the directory work may go without letting events through (20 ms; tests
    // set 0 to have them handled at every step).
    void SetEventPumpInterval(int milliseconds) { pumpIntervalMs_ = milliseconds; }

    // The query as the controls hold it (save, render, run).
    TQueryDefinition QueryFromControls() const;

    // The connection, null when the directory could not be opened at all.
    tNDS *Directory() const;

    QString QueryFileName;
    bool Modified = false;
    int LastClassIndex = -1;
    int LastPage = 0;
    // The query's condition rows, owned by the window.
    TConditionList Filters;
    // Rows of properties built on entry into the conditions page, and the row a
    // drop-down is editing.
    int RowTotal = 0;
    int EditRow = 0;

    // Page 0
    void FillContextList();
    void FillClassList();
    void CtxListBoxClick();
    void TreeComboBoxChange();
    void ClassListBoxClick();
    void ClassListBoxDblClick();
    // A new list of the class's properties; nothing when they cannot be read.
    std::optional<QStringList> GetClassProperties(const QString &className);
    static QString ParentContextName(const QString &context);
    static QString ChildContextName(const QString &context, const QString &entry);
    // Page 1
    void EnterPropertiesPage();
    void UpdatePropertyButtons();
    void IncludeBtnClick();
    void ExcludeBtnClick();
    void IncAllBtnClick();
    void ExAllBtnClick();
    void UpBtnClick();
    void DownBtnClick();
    // Page 2
    void BuildConditionGrid();
    bool CollectConditions();
    bool StringGrid1SelectCell(int column, int row);
    void OperationsComboBoxChange();
    void OuiNonComboBoxChange();
    void StringGrid1SetEditText();
    // Page 3 and navigation
    void Notebook1PageChanged();
    void NextBtnClick();
    void PrevBtnClick();
    void FinishBtnClick();
    void EntoureCBXClick();
    void SeparateurComboBoxChange();
    // File menu
    // Enables the items that the page shown offers (recomputed each time the menu opens).
    void Fichier1Click();
    void Ouvrir1Click();
    void OuvrirunerequteenSQL1Click();
    // Save and Save as: the query file with its SQL text and control file. false when
    // the save failed (the error has been shown); a cancelled dialog is not a failure.
    bool Enregistrer1Click();
    bool Enregistrersous1Click();
    void EnregistrerlarequteenSQL1Click();
    void Exporterlesrsultats1Click();
    // Printing (TForm1Print.cpp)
    void Configurationdelimpression1Click();
    void Imprimerlesrsultats1Click();
    // Edit menu (TForm1Edit.cpp)
    // Enables the items that the results text allows (recomputed each time it opens).
    void Edition1Click();
    void Dfaire1Click();
    void Couper1Click();
    void Copier1Click();
    void Coller1Click();
    void Effacer1Click();
    void Chercher1Click();
    void Remplacer1Click();
    // Edit menu: the find and replace dialogs, made on first use, modeless, and what
    // their buttons ask for. A find starts after the selection, or at the beginning when
    // nothing is selected; a replace request starts again from the beginning.
    void FindDialog1Find();
    void ReplaceDialog1Replace(bool all);
    // Help menu
    void Apropos1Click();
    // Query files (TForm1QueryFiles.cpp)
    // Opens a query file into the controls: every field, the caption with its name,
    // Modified cleared. A file that cannot be used leaves the window as it was, with
    // the error shown.
    void LoadQueryFile(const QString &path);
    // Saves the controls' query with its SQL text and control file beside it; false
    // when it failed (the error has been shown).
    bool SaveQueryFile(const QString &path);
    // Installs an SQL text's class, properties and sort flag, names the query after it
    // (".req") and moves to the properties page; a refused text changes nothing.
    void OpenSqlQueryFile(const QString &path);
    // The name Save as SQL proposes for the query file's name.
    static QString SqlNameOf(const QString &queryFileName);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The window's widgets, named as the window description names them (their
    // objectName): tests and readers find them by that name.
    // Frame
    QStackedWidget *Notebook1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QPushButton *PrevBtn = nullptr;
    QPushButton *NextBtn = nullptr;
    QPushButton *FinishBtn = nullptr;
    QPushButton *CancelBTN = nullptr;
    QPushButton *SaveBTN = nullptr;
    // Menus
    QMenu *Fichier1 = nullptr;
    QAction *Ouvrir1 = nullptr;
    QAction *OuvrirunerequteenSQL1 = nullptr;
    QAction *Enregistrer1 = nullptr;
    QAction *Enregistrersous1 = nullptr;
    QAction *EnregistrerlarequteenSQL1 = nullptr;
    QAction *Exporterlesrsultats1 = nullptr;
    QAction *Configurationdelimpression1 = nullptr;
    QAction *Imprimerlesrsultats1 = nullptr;
    QAction *Quitter1 = nullptr;
    QMenu *Edition1 = nullptr;
    QAction *Dfaire1 = nullptr;
    QAction *Couper1 = nullptr;
    QAction *Copier1 = nullptr;
    QAction *Coller1 = nullptr;
    QAction *Effacer1 = nullptr;
    QAction *Chercher1 = nullptr;
    QAction *Remplacer1 = nullptr;
    QMenu *Aide1 = nullptr;
    QAction *Apropos1 = nullptr;
    // Page 0: tree, context, filter and class
    QLabel *Label12 = nullptr;
    QComboBox *TreeComboBox = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *ContextEdit = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *FilterEdit = nullptr;
    QLabel *Label11 = nullptr;
    QListWidget *CtxListBox = nullptr;
    QLabel *CntCtx = nullptr;
    QLabel *Label3 = nullptr;
    QListWidget *ClassListBox = nullptr;
    QLabel *CntClasses = nullptr;
    // Page 1: properties and their order
    QLabel *ClassLBL = nullptr;
    QLabel *Label8 = nullptr;
    TPropertyList *PropertiesListBox1 = nullptr;
    QLabel *CntAvailable = nullptr;
    QLabel *Label9 = nullptr;
    TPropertyList *PropertiesListBox2 = nullptr;
    QLabel *CntSelected = nullptr;
    QPushButton *IncludeBtn = nullptr;
    QPushButton *IncAllBtn = nullptr;
    QPushButton *ExcludeBtn = nullptr;
    QPushButton *ExAllBtn = nullptr;
    QPushButton *UpBtn = nullptr;
    QPushButton *DownBtn = nullptr;
    // Page 2: conditions
    QLabel *Label7 = nullptr;
    TConditionGrid *StringGrid1 = nullptr;
    QComboBox *OperationsComboBox = nullptr;
    QComboBox *OuiNonComboBox = nullptr;
    // Page 3: export options and the query's SQL text
    QGroupBox *GroupBox2 = nullptr;
    QCheckBox *SortedCBX = nullptr;
    QCheckBox *CleanCtxCBX = nullptr;
    QCheckBox *RecursiveCBX = nullptr;
    QCheckBox *ChampsCBX = nullptr;
    QCheckBox *AddContainerCBX = nullptr;
    QCheckBox *SQLCBX = nullptr;
    QCheckBox *EntoureCBX = nullptr;
    QLabel *Label5 = nullptr;
    TChoiceComboBox *EntoureComboBox = nullptr;
    QLabel *Label6 = nullptr;
    TChoiceComboBox *SeparateurComboBox = nullptr;
    QLabel *Label10 = nullptr;
    TChoiceComboBox *ValSeparateurComboBox = nullptr;
    QLabel *EncodingLBL = nullptr;
    QComboBox *EncodingComboBox = nullptr;
    QCheckBox *FormulaGuardCBX = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QPlainTextEdit *MemoSum = nullptr;
    // Page 4: results
    QLabel *Label4 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *HitsCount = nullptr;
    QLabel *ObjectsScanned = nullptr;
    TFindDialog *FindDialog1 = nullptr;
    TReplaceDialog *ReplaceDialog1 = nullptr;

    void BuildFrame();
    void BuildMenus();
    QWidget *BuildPage0();
    QWidget *BuildPage1();
    QWidget *BuildPage2();
    QWidget *BuildPage3();
    QWidget *BuildPage4();
    void ApplyFrenchCaptions();
    void FormCreate(const TDirectorySource &source);
    void FormShow();
    bool FormCloseQuery();
    void FormDestroy();
    void SetPage(int page);
    QString SelectedClass() const;
    // Selects the class of the list with that name (case ignored); false when none is.
    bool SelectClass(const QString &className);
    // Page 1 helpers
    void CopySelected(QListWidget *source, QListWidget *destination);
    void MoveSelected(QListWidget *source, QListWidget *destination);
    static int FirstSelected(const QListWidget *list);
    void SelectAfterMove(QListWidget *list, int index);
    static bool Holds(const QListWidget *list, const QString &text);
    // What the File menu's dialogs are given: they start in the program's folder.
    TPrompts::FileRequest FileRequest(const QString &filter, const QString &suffix,
                                      const QString &proposedName = QString()) const;
    // Page 2 helper: lays a drop-down over a cell of the grid.
    void LayDropDown(QComboBox *dropDown, int column, int row);

    TPrompts &prompts_;
    TAboutBox *aboutBox_ = nullptr;
    TExportForm *exportForm_ = nullptr;
    std::unique_ptr<TDirectoryConnection> connection_;
    QElapsedTimer sincePump_;
    int pumpIntervalMs_ = 20;
    std::unique_ptr<TDirectorySchema> schema_;
    // The program's own folder, where the file dialogs start.
    QString programFolder_;
    // The query of the export in progress, which the run's job points into.
    TQueryDefinition runQuery_;
    bool shownOnce_ = false;

    // Printing
    // The window's one printer, shared by printer setup and print so that the choices made
    // in one carry to the other; made on first use.
    std::unique_ptr<class QPrinter, void (*)(QPrinter *)> printer_{nullptr, nullptr};
    QPrinter &Printer();
    // Prints the lines as one job; " Erreur à l'impression." when the device fails.
    void PrintLines(const QStringList &lines);
};
