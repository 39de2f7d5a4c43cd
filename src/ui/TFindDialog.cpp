#include "ui/TFindDialog.h"

#include "ui/TSearchOptions.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Chercher"));
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    auto *findLabel = new QLabel(QStringLiteral("R&echercher:"), this);
    findLabel->setBuddy(FindEdit);
    Options = new TSearchOptions(true, this);

    FindNextBtn = new QPushButton(QStringLiteral("&Suivant"), this);
    FindNextBtn->setObjectName(QStringLiteral("FindNextBtn"));
    FindNextBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(FindNextBtn, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(FindNextBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(Options, 1, 0, 1, 2);
    grid->addLayout(buttons, 0, 2, 2, 1);
}

QString TFindDialog::FindText() const
{
    return FindEdit->text();
}
