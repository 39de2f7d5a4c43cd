#include "ui/TReplaceDialog.h"

#include "ui/TSearchOptions.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *NewButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLineEdit *NewEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

TReplaceDialog::TReplaceDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog1"));
    setWindowTitle(QStringLiteral("Remplacer"));
    FindEdit = NewEdit(this, "FindEdit");
    ReplaceEdit = NewEdit(this, "ReplaceEdit");
    auto *findLabel = new QLabel(QStringLiteral("R&echercher:"), this);
    findLabel->setBuddy(FindEdit);
    auto *replaceLabel = new QLabel(QStringLiteral("Remplacer &par:"), this);
    replaceLabel->setBuddy(ReplaceEdit);
    Options = new TSearchOptions(false, this);

    FindNextBtn = NewButton(this, "FindNextBtn", QStringLiteral("&Suivant"));
    ReplaceBtn = NewButton(this, "ReplaceBtn", QStringLiteral("&Remplacer"));
    ReplaceBtn->setDefault(true);
    ReplaceAllBtn = NewButton(this, "ReplaceAllBtn", QStringLiteral("Remplacer &tout"));
    CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Annuler"));
    connect(ReplaceBtn, &QPushButton::clicked, this, [this] { emit Replace(false); });
    connect(ReplaceAllBtn, &QPushButton::clicked, this, [this] { emit Replace(true); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(FindNextBtn);
    buttons->addWidget(ReplaceBtn);
    buttons->addWidget(ReplaceAllBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(ReplaceEdit, 1, 1);
    grid->addWidget(Options, 2, 0, 1, 2);
    grid->addLayout(buttons, 0, 2, 3, 1);
}

QString TReplaceDialog::FindText() const
{
    return FindEdit->text();
}

QString TReplaceDialog::ReplaceText() const
{
    return ReplaceEdit->text();
}
