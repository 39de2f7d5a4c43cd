#include "ui/TForm1.h"

#include "directory/tNDS.h"
#include "engine/Operators.h"
#include "query/TDirectorySchema.h"
#include "ui/TChoiceComboBox.h"
#include "ui/TConditionGrid.h"
#include "ui/TPrompts.h"
#include "ui/TPropertyList.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// The sizes of the window description; the frame grows only as its texts need.
constexpr int kFrameWidth = 477;
constexpr int kFrameHeight = 338;

} // namespace

TForm1::TForm1(TPrompts &prompts, const TDirectorySource &source, QWidget *parent)
    : QMainWindow(parent), prompts_(prompts)
{
    setObjectName(QStringLiteral("Form1"));
    BuildFrame();
    FormCreate(source);
    resize(minimumSizeHint().expandedTo(QSize(kFrameWidth, kFrameHeight)));
}

TForm1::~TForm1()
{
    FormDestroy();
}

void TForm1::SetDialogs(TAboutBox *aboutBox, TExportForm *exportForm)
{
    aboutBox_ = aboutBox;
    exportForm_ = exportForm;
}

void TForm1::BuildFrame()
{
    BuildMenus();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 0);

    Notebook1 = new QStackedWidget(central);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Notebook1->addWidget(BuildPage0());
    Notebook1->addWidget(BuildPage1());
    Notebook1->addWidget(BuildPage2());
    Notebook1->addWidget(BuildPage3());
    Notebook1->addWidget(BuildPage4());
    layout->addWidget(Notebook1, 1);

    auto *panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *buttons = new QHBoxLayout(panel);
    buttons->setContentsMargins(0, 4, 0, 4);
    const auto button = [panel](const char *name, const char *text) {
        auto *b = new QPushButton(QString::fromUtf8(text), panel);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    PrevBtn = button("PrevBtn", "< &Back");
    NextBtn = button("NextBtn", "&Next >");
    FinishBtn = button("FinishBtn", "&Finish");
    SaveBTN = button("SaveBTN", "Save...");
    CancelBTN = button("CancelBTN", "Cancel");
    buttons->addStretch(1);
    buttons->addWidget(PrevBtn);
    buttons->addWidget(NextBtn);
    buttons->addWidget(FinishBtn);
    buttons->addWidget(SaveBTN);
    buttons->addWidget(CancelBTN);
    layout->addWidget(panel);
    PrevBtn->setEnabled(false);
    NextBtn->setEnabled(false);
    FinishBtn->setVisible(false);
    FinishBtn->setEnabled(false);
    SaveBTN->setVisible(false);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    connect(Notebook1, &QStackedWidget::currentChanged, this, &TForm1::Notebook1PageChanged);
    connect(PrevBtn, &QPushButton::clicked, this, &TForm1::PrevBtnClick);
    connect(NextBtn, &QPushButton::clicked, this, &TForm1::NextBtnClick);
    connect(FinishBtn, &QPushButton::clicked, this, &TForm1::FinishBtnClick);
    connect(CancelBTN, &QPushButton::clicked, this, &QWidget::close);
    connect(SaveBTN, &QPushButton::clicked, this, &TForm1::Exporterlesrsultats1Click);
}

void TForm1::FormCreate(const TDirectorySource &source)
{
    programFolder_ = QDir(QCoreApplication::applicationDirPath()).absolutePath() + QDir::separator();
    ApplyFrenchCaptions();

    // The connection reports through the prompts; its start-up failures are shown and
    // the window opens all the same.
    connection_ = std::make_unique<TDirectoryConnection>(
        [this](const QString &text, const QString &serverWords) { prompts_.Report(this, text, serverWords); });
    // Letting events through after every object and property read would cost more than
    // the reads; a few dozen times a second keeps the window live and Cancel prompt.
    connection_->SetEventPump([this] {
        if (sincePump_.isValid() && sincePump_.elapsed() < pumpIntervalMs_)
            return;
        QCoreApplication::processEvents();
        sincePump_.start();
    });
    // A server's bind password that no password file gives is asked in a dialog.
    TDirectorySource withPrompt = source;
    if (!withPrompt.passwordPrompt) {
        withPrompt.passwordPrompt = [this](const QString &prompt) -> std::optional<QByteArray> {
            const std::optional<QString> password = prompts_.Password(this, prompt);
            return password ? std::optional<QByteArray>(password->toUtf8()) : std::nullopt;
        };
    }
    const TDirectoryStatus status = connection_->Open(withPrompt);
    if (!status.IsOk() && !status.message.isEmpty())
        prompts_.Report(this, status.message, {});
    if (Directory())
        schema_ = std::make_unique<TDirectorySchema>(*Directory());

    Filters.Clear();
    SetQueryFileName(QString());
    LastClassIndex = -1;
    SetPage(0);

    if (tNDS *directory = Directory()) {
        // Filling the list is not a switch of tree.
        const QSignalBlocker blocker(TreeComboBox);
        for (const tTreeItem &tree : directory->GetTrees())
            TreeComboBox->addItem(tree.Name);
        TreeComboBox->setCurrentIndex(TreeComboBox->findText(directory->TreeName, Qt::MatchFixedString));
    }
    FillClassList();
    FillContextList();

    OuiNonComboBox->clear();
    OuiNonComboBox->addItem(QStringLiteral("oui"));
    OuiNonComboBox->addItem(QStringLiteral("non"));
    OuiNonComboBox->setCurrentIndex(0);

    SeparateurComboBox->Choose(0);
    ValSeparateurComboBox->Choose(0);
    EntoureComboBox->Choose(0);

    const QStringList titles = {QStringLiteral("Propriété"), QStringLiteral("Condition"), QStringLiteral("Valeur 1"),
                                QStringLiteral("Valeur 2"),  QStringLiteral("Affiche"),   QStringLiteral("Type")};
    for (int column = 0; column < titles.size(); ++column)
        StringGrid1->SetCell(column, 0, titles[column]);

    OperationsComboBox->clear();
    for (const QString &name : OperatorNames)
        OperationsComboBox->addItem(name);
    OperationsComboBox->setCurrentIndex(0);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TForm1::FormShow()
{
    setWindowTitle(QApplication::applicationName() + QStringLiteral(" 1.26"));
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TForm1::FormCloseQuery()
{
    const QString name = QueryFileName.isEmpty() ? QStringLiteral("sans titre") : QueryFileName;
    if (!Modified)
        return true;
    switch (prompts_.Question(
        this, QStringLiteral("La requête fichier %1 a été modifié. Enregistrer les changements ?").arg(name))) {
    case TPrompts::Answer::Cancel:
        return false;
    case TPrompts::Answer::Yes:
        // A save that fails keeps the window open, so that nothing is lost.
        return Enregistrersous1Click();
    case TPrompts::Answer::No:
        return true;
    }
    return true;
}

void TForm1::FormDestroy()
{
    Filters.Clear();
    runQuery_ = TQueryDefinition();
    schema_.reset();
    connection_.reset();
}

void TForm1::SetQueryFileName(const QString &name)
{
    QueryFileName = name;
    if (name.isEmpty())
        setWindowTitle(QApplication::applicationName());
    else
        setWindowTitle(QApplication::applicationName() + QStringLiteral(" [") + name + QStringLiteral(" ]"));
}

void TForm1::ShowError(const QString &text)
{
    prompts_.Error(this, text);
}

void TForm1::ShowInfo(const QString &text)
{
    prompts_.Info(this, text);
}

tNDS *TForm1::Directory() const
{
    return connection_ ? connection_->Directory() : nullptr;
}

QString TForm1::SelectedClass() const
{
    const QListWidgetItem *item = ClassListBox->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

TQueryDefinition TForm1::QueryFromControls() const
{
    TQueryDefinition query;
    query.className = SelectedClass();
    query.separator = SeparateurComboBox->currentText();
    query.valseparator = ValSeparateurComboBox->currentText();
    query.delimiter = EntoureComboBox->currentText();
    query.filter = FilterEdit->text();
    query.context = ContextEdit->text();
    query.fieldsonfirstline = ChampsCBX->isChecked();
    query.usedelimiter = EntoureCBX->isChecked();
    query.recursive = RecursiveCBX->isChecked();
    query.sortbycn = SortedCBX->isChecked();
    query.cleancontext = CleanCtxCBX->isChecked();
    query.addcontainer = AddContainerCBX->isChecked();
    query.sqltop = SQLCBX->isChecked();
    query.encoding = EncodingComboBox->currentText();
    query.formulaguard = FormulaGuardCBX->isChecked();
    for (int i = 0; i < PropertiesListBox2->count(); ++i)
        query.Properties.append(PropertiesListBox2->item(i)->text());
    query.Filters = Filters;
    return query;
}

void TForm1::SetPage(int page)
{
    if (Notebook1->currentIndex() == page)
        Notebook1PageChanged();
    else
        Notebook1->setCurrentIndex(page);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool plain = !(key->modifiers() & ~Qt::KeypadModifier);
        // The keyboard's way to click an entry of the context list, to double-click a class
        // or a property (the way also that drags take with the mouse), and Ctrl+Up and
        // Ctrl+Down for the chosen list's order.
        // Return acts on the selected entries, or on the current one when none is selected
        // (the list has just taken the focus).
        auto *list = qobject_cast<QListWidget *>(watched);
        if (enter && plain && list && list->currentItem()) {
            if (list->selectedItems().isEmpty())
                list->currentItem()->setSelected(true);
            if (list == CtxListBox)
                CtxListBoxClick();
            else if (list == ClassListBox)
                ClassListBoxDblClick();
            else if (list == PropertiesListBox1)
                IncludeBtnClick();
            else
                ExcludeBtnClick();
            return true;
        }
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (watched == Memo1 && tab && (key->modifiers() & Qt::ControlModifier)) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (watched == PropertiesListBox2 && key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (key->key() == Qt::Key_Up)
                UpBtnClick();
            else
                DownBtnClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
