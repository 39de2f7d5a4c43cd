#include "ui/TForm1.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

QWidget *TForm1::BuildPage4()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Cinquieme"));
    auto *grid = new QGridLayout(page);
    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Tab types a tab into the results; Ctrl+Tab and Ctrl+Shift+Tab leave them.
    Memo1->installEventFilter(this);
    Label4 = new QLabel(QStringLiteral("Search results:"), page);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setBuddy(Memo1);
    HitsCount = new QLabel(page);
    HitsCount->setObjectName(QStringLiteral("HitsCount"));
    ObjectsScanned = new QLabel(page);
    ObjectsScanned->setObjectName(QStringLiteral("ObjectsScanned"));
    grid->addWidget(Label4, 0, 0);
    grid->addWidget(ObjectsScanned, 0, 1, Qt::AlignRight);
    grid->addWidget(HitsCount, 0, 2, Qt::AlignRight);
    grid->addWidget(Memo1, 1, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    return page;
}
