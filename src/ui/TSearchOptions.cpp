#include "ui/TSearchOptions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

TSearchOptions::TSearchOptions(bool caseAndWord, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SearchOptions"));
    MatchCaseCBX = new QCheckBox(QStringLiteral("Respecter la &casse"), this);
    MatchCaseCBX->setObjectName(QStringLiteral("MatchCaseCBX"));
    WholeWordCBX = new QCheckBox(QStringLiteral("&Mot entier"), this);
    WholeWordCBX->setObjectName(QStringLiteral("WholeWordCBX"));
    MatchCaseCBX->setEnabled(caseAndWord);
    WholeWordCBX->setEnabled(caseAndWord);

    DirectionGroup = new QGroupBox(QStringLiteral("Direction"), this);
    DirectionGroup->setObjectName(QStringLiteral("DirectionGroup"));
    UpRBN = new QRadioButton(QStringLiteral("Vers le &haut"), DirectionGroup);
    UpRBN->setObjectName(QStringLiteral("UpRBN"));
    DownRBN = new QRadioButton(QStringLiteral("Vers le &bas"), DirectionGroup);
    DownRBN->setObjectName(QStringLiteral("DownRBN"));
    DownRBN->setChecked(true);
    DirectionGroup->setEnabled(false);
    auto *directions = new QHBoxLayout(DirectionGroup);
    directions->addWidget(UpRBN);
    directions->addWidget(DownRBN);

    auto *checks = new QVBoxLayout;
    checks->addWidget(WholeWordCBX);
    checks->addWidget(MatchCaseCBX);
    checks->addStretch();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(checks);
    row->addWidget(DirectionGroup);
}

bool TSearchOptions::MatchCase() const
{
    return MatchCaseCBX->isChecked();
}

bool TSearchOptions::WholeWord() const
{
    return WholeWordCBX->isChecked();
}
