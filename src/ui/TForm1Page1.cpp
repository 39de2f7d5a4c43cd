#include "ui/TForm1.h"

#include "ui/TPropertyList.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Moves past the 256th chosen entry are not made.
constexpr int kLastMovablePosition = 255;

} // namespace

QWidget *TForm1::BuildPage1()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Seconde"));
    auto *grid = new QGridLayout(page);
    const auto button = [page](const char *name, const QString &text) {
        auto *b = new QPushButton(text, page);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    const auto counter = [page](const char *name) {
        auto *l = new QLabel(QStringLiteral("0"), page);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };

    ClassLBL = new QLabel(page);
    ClassLBL->setObjectName(QStringLiteral("ClassLBL"));
    PropertiesListBox1 = new TPropertyList(page);
    PropertiesListBox1->setObjectName(QStringLiteral("PropertiesListBox1"));
    PropertiesListBox1->setSortingEnabled(true);
    PropertiesListBox2 = new TPropertyList(page);
    PropertiesListBox2->setObjectName(QStringLiteral("PropertiesListBox2"));
    Label8 = new QLabel(QStringLiteral("Available properties"), page);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setBuddy(PropertiesListBox1);
    Label9 = new QLabel(QStringLiteral("Chosen properties:"), page);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setBuddy(PropertiesListBox2);
    CntAvailable = counter("CntAvailable");
    CntSelected = counter("CntSelected");
    IncludeBtn = button("IncludeBtn", QStringLiteral(">"));
    IncAllBtn = button("IncAllBtn", QStringLiteral(">>"));
    ExcludeBtn = button("ExcludeBtn", QStringLiteral("<"));
    ExAllBtn = button("ExAllBtn", QStringLiteral("<<"));
    UpBtn = button("UpBtn", QString());
    UpBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    DownBtn = button("DownBtn", QString());
    DownBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));

    auto *moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton *b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn})
        moves->addWidget(b);
    moves->addStretch(1);
    auto *order = new QVBoxLayout;
    order->addStretch(1);
    order->addWidget(UpBtn);
    order->addWidget(DownBtn);
    order->addStretch(1);

    grid->addWidget(ClassLBL, 0, 0, 1, 4);
    grid->addWidget(Label8, 1, 0);
    grid->addWidget(CntAvailable, 1, 0, Qt::AlignRight);
    grid->addWidget(Label9, 1, 2);
    grid->addWidget(CntSelected, 1, 2, Qt::AlignRight);
    grid->addWidget(PropertiesListBox1, 2, 0);
    grid->addLayout(moves, 2, 1);
    grid->addWidget(PropertiesListBox2, 2, 2);
    grid->addLayout(order, 2, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    QWidget *const tabChain[] = {PropertiesListBox1, IncludeBtn,         IncAllBtn, ExcludeBtn,
                                 ExAllBtn,           PropertiesListBox2, UpBtn,     DownBtn};
    for (size_t i = 1; i < std::size(tabChain); ++i)
        QWidget::setTabOrder(tabChain[i - 1], tabChain[i]);
    PropertiesListBox1->installEventFilter(this);
    PropertiesListBox2->installEventFilter(this);
    PropertiesListBox2->AcceptDropsFrom(PropertiesListBox1, [this] { IncludeBtnClick(); });
    PropertiesListBox1->AcceptDropsFrom(PropertiesListBox2, [this] { ExcludeBtnClick(); });
    connect(IncludeBtn, &QPushButton::clicked, this, &TForm1::IncludeBtnClick);
    connect(IncAllBtn, &QPushButton::clicked, this, &TForm1::IncAllBtnClick);
    connect(ExcludeBtn, &QPushButton::clicked, this, &TForm1::ExcludeBtnClick);
    connect(ExAllBtn, &QPushButton::clicked, this, &TForm1::ExAllBtnClick);
    connect(UpBtn, &QPushButton::clicked, this, &TForm1::UpBtnClick);
    connect(DownBtn, &QPushButton::clicked, this, &TForm1::DownBtnClick);
    connect(PropertiesListBox1, &QListWidget::itemDoubleClicked, this, [this] {
        if (PropertiesListBox1->currentItem())
            IncludeBtnClick();
    });
    connect(PropertiesListBox2, &QListWidget::itemDoubleClicked, this, [this] {
        if (PropertiesListBox2->currentItem())
            ExcludeBtnClick();
    });
    connect(PropertiesListBox2, &QListWidget::itemClicked, this, &TForm1::UpdatePropertyButtons);
    connect(PropertiesListBox2, &QListWidget::currentRowChanged, this, &TForm1::UpdatePropertyButtons);
    return page;
}

void TForm1::EnterPropertiesPage()
{
    if (LastPage == 0) {
        const QString className = SelectedClass();
        PropertiesListBox1->clear();
        PropertiesListBox1->addItems(GetClassProperties(className).value_or(QStringList()));
        ClassLBL->setText(QStringLiteral("Recherche des [%1]").arg(className));
        for (int i = PropertiesListBox2->count() - 1; i >= 0; --i) {
            if (!Holds(PropertiesListBox1, PropertiesListBox2->item(i)->text()))
                delete PropertiesListBox2->takeItem(i);
        }
    }
    CntAvailable->setText(QString::number(PropertiesListBox1->count()));
    CntSelected->setText(QString::number(PropertiesListBox2->count()));
    UpdatePropertyButtons();
}

void TForm1::UpdatePropertyButtons()
{
    const int na = PropertiesListBox1->count();
    const int nc = PropertiesListBox2->count();
    const int i = PropertiesListBox2->currentRow();
    IncludeBtn->setEnabled(na > 0);
    IncAllBtn->setEnabled(na > 0);
    ExcludeBtn->setEnabled(nc > 0);
    ExAllBtn->setEnabled(nc > 0);
    NextBtn->setEnabled(nc > 0);
    UpBtn->setEnabled(nc > 0 && i > 0);
    DownBtn->setEnabled(nc > 0 && i < nc - 1);
}

bool TForm1::Holds(const QListWidget *list, const QString &text)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int TForm1::FirstSelected(const QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            return i;
    }
    return -1;
}

void TForm1::CopySelected(QListWidget *source, QListWidget *destination)
{
    for (int i = source->count() - 1; i >= 0; --i) {
        if (source->item(i)->isSelected()) {
            destination->addItem(source->item(i)->text());
            Modified = true;
        }
    }
}

void TForm1::MoveSelected(QListWidget *source, QListWidget *destination)
{
    for (int i = source->count() - 1; i >= 0; --i) {
        if (!source->item(i)->isSelected())
            continue;
        const QString text = source->item(i)->text();
        if (!Holds(destination, text))
            destination->addItem(text);
        delete source->takeItem(i);
        Modified = true;
    }
}

void TForm1::SelectAfterMove(QListWidget *list, int index)
{
    int k = index < 0 ? 0 : index;
    if (k > list->count() - 1)
        k = list->count() - 1;
    if (k >= 0) {
        list->item(k)->setSelected(true);
        list->setCurrentRow(k, QItemSelectionModel::Select);
    }
    list->setFocus();
    UpdatePropertyButtons();
}

void TForm1::IncludeBtnClick()
{
    const int f = FirstSelected(PropertiesListBox1);
    CopySelected(PropertiesListBox1, PropertiesListBox2);
    SelectAfterMove(PropertiesListBox1, f);
    CntSelected->setText(QString::number(PropertiesListBox2->count()));
}

void TForm1::ExcludeBtnClick()
{
    const int f = FirstSelected(PropertiesListBox2);
    MoveSelected(PropertiesListBox2, PropertiesListBox1);
    SelectAfterMove(PropertiesListBox2, f);
    CntSelected->setText(QString::number(PropertiesListBox2->count()));
}

void TForm1::IncAllBtnClick()
{
    for (int i = 0; i < PropertiesListBox1->count(); ++i) {
        const QString text = PropertiesListBox1->item(i)->text();
        if (!Holds(PropertiesListBox2, text))
            PropertiesListBox2->addItem(text);
    }
    PropertiesListBox1->clear();
    SelectAfterMove(PropertiesListBox1, 0);
    CntSelected->setText(QString::number(PropertiesListBox2->count()));
}

void TForm1::ExAllBtnClick()
{
    for (int i = 0; i < PropertiesListBox2->count(); ++i) {
        const QString text = PropertiesListBox2->item(i)->text();
        if (!Holds(PropertiesListBox1, text))
            PropertiesListBox1->addItem(text);
    }
    PropertiesListBox2->clear();
    SelectAfterMove(PropertiesListBox1, 0);
    CntSelected->setText(QString::number(PropertiesListBox2->count()));
}

void TForm1::UpBtnClick()
{
    const int i = PropertiesListBox2->currentRow();
    const int nc = PropertiesListBox2->count();
    if (i < 1 || i > nc - 1 || i > kLastMovablePosition)
        return;
    QListWidgetItem *moved = PropertiesListBox2->takeItem(i);
    PropertiesListBox2->insertItem(i - 1, moved);
    PropertiesListBox2->setCurrentRow(i - 1, QItemSelectionModel::ClearAndSelect);
    PropertiesListBox2->setFocus();
    UpdatePropertyButtons();
    Modified = true;
}

void TForm1::DownBtnClick()
{
    const int i = PropertiesListBox2->currentRow();
    const int nc = PropertiesListBox2->count();
    if (i < 0 || i > nc - 2 || i > kLastMovablePosition)
        return;
    QListWidgetItem *moved = PropertiesListBox2->takeItem(i);
    PropertiesListBox2->insertItem(i + 1, moved);
    PropertiesListBox2->setCurrentRow(i + 1, QItemSelectionModel::ClearAndSelect);
    PropertiesListBox2->setFocus();
    UpdatePropertyButtons();
    Modified = true;
}
