#include "ui/TForm1.h"

#include "directory/tNDS.h"
#include "ui/TBusyCursor.h"
#include "ui/TPropertyList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

QWidget *TForm1::BuildPage0()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Premiere"));
    auto *grid = new QGridLayout(page);
    const auto label = [page](const char *name, const char *text, QWidget *buddy) {
        auto *l = new QLabel(QString::fromUtf8(text), page);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(buddy);
        return l;
    };

    TreeComboBox = new QComboBox(page);
    TreeComboBox->setObjectName(QStringLiteral("TreeComboBox"));
    TreeComboBox->setEditable(true);
    TreeComboBox->setInsertPolicy(QComboBox::NoInsert);
    ContextEdit = new QLineEdit(page);
    ContextEdit->setObjectName(QStringLiteral("ContextEdit"));
    ContextEdit->setReadOnly(true);
    ContextEdit->setBackgroundRole(QPalette::Button);
    ContextEdit->setAutoFillBackground(true);
    FilterEdit = new QLineEdit(QStringLiteral("*"), page);
    FilterEdit->setObjectName(QStringLiteral("FilterEdit"));
    CtxListBox = new QListWidget(page);
    CtxListBox->setObjectName(QStringLiteral("CtxListBox"));
    CtxListBox->installEventFilter(this);
    ClassListBox = new QListWidget(page);
    ClassListBox->setObjectName(QStringLiteral("ClassListBox"));
    ClassListBox->setSortingEnabled(true);
    ClassListBox->installEventFilter(this);
    CntCtx = new QLabel(QStringLiteral("0"), page);
    CntCtx->setObjectName(QStringLiteral("CntCtx"));
    CntClasses = new QLabel(QStringLiteral("0"), page);
    CntClasses->setObjectName(QStringLiteral("CntClasses"));

    Label12 = label("Label12", "Tree:", TreeComboBox);
    Label1 = label("Label1", "Current context:", ContextEdit);
    Label2 = label("Label2", "Filter:", FilterEdit);
    Label11 = label("Label11", "Contexts:", CtxListBox);
    Label3 = label("Label3", "Available classes:", ClassListBox);

    grid->addWidget(Label12, 0, 0);
    grid->addWidget(TreeComboBox, 0, 1, 1, 3);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(ContextEdit, 1, 1, 1, 3);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(FilterEdit, 2, 1, 1, 3);
    grid->addWidget(Label11, 3, 0, 1, 2);
    grid->addWidget(CntCtx, 3, 1, Qt::AlignRight);
    grid->addWidget(Label3, 3, 2);
    grid->addWidget(CntClasses, 3, 3, Qt::AlignRight);
    grid->addWidget(CtxListBox, 4, 0, 1, 2);
    grid->addWidget(ClassListBox, 4, 2, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    connect(CtxListBox, &QListWidget::itemClicked, this, &TForm1::CtxListBoxClick);
    connect(TreeComboBox, &QComboBox::currentTextChanged, this, &TForm1::TreeComboBoxChange);
    connect(ClassListBox, &QListWidget::itemClicked, this, &TForm1::ClassListBoxClick);
    connect(ClassListBox, &QListWidget::currentRowChanged, this, &TForm1::ClassListBoxClick);
    connect(ClassListBox, &QListWidget::itemDoubleClicked, this, &TForm1::ClassListBoxDblClick);
    return page;
}

void TForm1::FillContextList()
{
    const TBusyCursor busy;
    tNDS *directory = Directory();
    ContextEdit->setText(directory ? directory->CurrentContext : QString());
    CtxListBox->clear();
    CtxListBox->setSortingEnabled(true);
    if (directory) {
        for (const QString &entry : directory->GetContainers())
            CtxListBox->addItem(entry.contains(QStringLiteral("..")) ? entry : FirstNamePart(entry));
    }
    // The keyboard's cursor starts on the first entry, nothing selected.
    if (CtxListBox->count() > 0)
        CtxListBox->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    CntCtx->setText(QString::number(CtxListBox->count()));
}

void TForm1::FillClassList()
{
    const QSignalBlocker blocker(ClassListBox);
    ClassListBox->clear();
    if (tNDS *directory = Directory()) {
        directory->GetAllClassesDefinitions();
        if (directory->ClassDefs) {
            for (const auto &[name, definition] : *directory->ClassDefs) {
                if (definition->Info.classFlags & DS_EFFECTIVE_CLASS)
                    ClassListBox->addItem(definition->Name);
            }
        }
    }
    const QList<QListWidgetItem *> user = ClassListBox->findItems(QStringLiteral("User"), Qt::MatchFixedString);
    if (!user.isEmpty())
        ClassListBox->setCurrentItem(user.constFirst());
    else
        ClassListBox->setCurrentRow(-1);
    NextBtn->setEnabled(!SelectedClass().isEmpty());
    CntClasses->setText(QString::number(ClassListBox->count()));
}

void TForm1::CtxListBoxClick()
{
    const QListWidgetItem *selected = CtxListBox->currentItem();
    tNDS *directory = Directory();
    if (!selected || !selected->isSelected() || !directory)
        return;
    const QString entry = selected->text();
    const QString current = ContextEdit->text();
    const QString target = entry == QLatin1String("..") ? ParentContextName(current) : ChildContextName(current, entry);
    bool changed = false;
    {
        const TBusyCursor busy;
        changed = directory->ChangeContext(target);
    }
    if (changed)
        FillContextList();
}

QString TForm1::ParentContextName(const QString &context)
{
    QString name = context;
    if (name.size() < 2 || !name.contains(QLatin1Char('.')))
        name = QStringLiteral("[root]");
    if (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.remove(0, dot + 1);
    return name;
}

QString TForm1::ChildContextName(const QString &context, const QString &entry)
{
    QString suffix;
    if (!context.startsWith(QLatin1String("[root]")))
        suffix = context.startsWith(QLatin1Char('.')) ? context : QLatin1Char('.') + context;
    return entry + suffix;
}

void TForm1::TreeComboBoxChange()
{
    const QString name = TreeComboBox->currentText();
    tNDS *directory = Directory();
    if (name.isEmpty() || !directory)
        return;
    bool switched = false;
    {
        const TBusyCursor busy;
        switched = directory->SelectTree(name);
    }
    if (!switched) {
        // The switch itself reports nothing: the refusal is shown here, as the
        // connection shows its other failures.
        if (directory->LastError != 0)
            directory->ReportError(directory->LastError, directory->LastErrorText);
        return;
    }
    PropertiesListBox1->clear();
    PropertiesListBox2->clear();
    {
        const TBusyCursor busy;
        FillClassList();
    }
    FillContextList();
}

void TForm1::ClassListBoxClick()
{
    const int index = SelectedClass().isEmpty() ? -1 : ClassListBox->currentRow();
    NextBtn->setEnabled(index >= 0);
    if (index != LastClassIndex) {
        Modified = true;
        LastClassIndex = index;
    }
}

void TForm1::ClassListBoxDblClick()
{
    NextBtnClick();
}

std::optional<QStringList> TForm1::GetClassProperties(const QString &className)
{
    tNDS *directory = Directory();
    if (!directory)
        return std::nullopt;
    const TBusyCursor busy;
    return directory->GetAllLayouts(className, tLayoutList::MandatoryThenOptional);
}
