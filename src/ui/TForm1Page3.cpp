#include "ui/TForm1.h"

#include "query/ResultsEncoding.h"
#include "ui/TChoiceComboBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QWidget *TForm1::BuildPage3()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Quatrieme"));
    auto *layout = new QHBoxLayout(page);

    GroupBox2 = new QGroupBox(QStringLiteral("Exportation options: "), page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *options = new QGridLayout(GroupBox2);
    const auto check = [this](const char *name, const char *text, bool checked) {
        auto *box = new QCheckBox(QString::fromUtf8(text), GroupBox2);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(checked);
        return box;
    };
    const auto choice = [this](const char *name, const QStringList &items) {
        auto *box = new TChoiceComboBox(GroupBox2);
        box->setObjectName(QString::fromLatin1(name));
        box->addItems(items);
        return box;
    };
    const auto label = [this](const char *name, const char *text, QWidget *buddy) {
        auto *l = new QLabel(QString::fromUtf8(text), GroupBox2);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(buddy);
        return l;
    };
    SortedCBX = check("SortedCBX", "Sort by name", true);
    CleanCtxCBX = check("CleanCtxCBX", "Use short names", true);
    RecursiveCBX = check("RecursiveCBX", "Search sub-contexts", false);
    ChampsCBX = check("ChampsCBX", "Include field names", true);
    AddContainerCBX = check("AddContainerCBX", "Add the context as column 1", false);
    SQLCBX = check("SQLCBX", "Include the SQL text", false);
    EntoureCBX = check("EntoureCBX", "Enclosed in:", true);
    EntoureComboBox = choice("EntoureComboBox", {QStringLiteral("\""), QStringLiteral("'")});
    SeparateurComboBox = choice("SeparateurComboBox",
                                {QStringLiteral("Tab"), QStringLiteral(","), QStringLiteral(";"), QStringLiteral(".")});
    ValSeparateurComboBox =
        choice("ValSeparateurComboBox", {QStringLiteral("Space"), QStringLiteral(","), QStringLiteral(";"),
                                         QStringLiteral("."), QStringLiteral("Tab"), QString()});
    Label5 = label("Label5", "Delimiter:", EntoureComboBox);
    Label6 = label("Label6", "Property separator:", SeparateurComboBox);
    Label10 = label("Label10", "Value separator:", ValSeparateurComboBox);
    // How the results file is written, so that spreadsheets read it right.
    EncodingComboBox = new QComboBox(GroupBox2);
    EncodingComboBox->setObjectName(QStringLiteral("EncodingComboBox"));
    EncodingComboBox->addItems(ResultsEncoding::Names());
    EncodingLBL = label("EncodingLBL", "Encodage des résultats:", EncodingComboBox);
    FormulaGuardCBX = check("FormulaGuardCBX", "Protéger les formules", false);
    FormulaGuardCBX->setToolTip(QStringLiteral("Un champ qui commence par =, +, -, @, une tabulation ou un retour "
                                               "chariot est précédé d'une apostrophe"));

    int row = 0;
    for (QCheckBox *box : {SortedCBX, CleanCtxCBX, RecursiveCBX, ChampsCBX, AddContainerCBX, SQLCBX, EntoureCBX})
        options->addWidget(box, row++, 0, 1, 2);
    options->addWidget(Label5, row, 0);
    options->addWidget(EntoureComboBox, row++, 1);
    options->addWidget(Label6, row, 0);
    options->addWidget(SeparateurComboBox, row++, 1);
    options->addWidget(Label10, row, 0);
    options->addWidget(ValSeparateurComboBox, row++, 1);
    options->addWidget(EncodingLBL, row, 0);
    options->addWidget(EncodingComboBox, row++, 1);
    options->addWidget(FormulaGuardCBX, row++, 0, 1, 2);
    options->setRowStretch(row, 1);

    GroupBox1 = new QGroupBox(QStringLiteral("Query SQL:"), page);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *summary = new QVBoxLayout(GroupBox1);
    MemoSum = new QPlainTextEdit(GroupBox1);
    MemoSum->setObjectName(QStringLiteral("MemoSum"));
    MemoSum->setReadOnly(true);
    MemoSum->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoSum->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    summary->addWidget(MemoSum);

    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox1, 1);

    connect(EntoureCBX, &QCheckBox::clicked, this, &TForm1::EntoureCBXClick);
    connect(SeparateurComboBox, &QComboBox::editTextChanged, this, &TForm1::SeparateurComboBoxChange);
    connect(ValSeparateurComboBox, &QComboBox::editTextChanged, this, &TForm1::SeparateurComboBoxChange);
    connect(EncodingComboBox, &QComboBox::activated, this, [this] { Modified = true; });
    connect(FormulaGuardCBX, &QCheckBox::clicked, this, [this] { Modified = true; });
    return page;
}

void TForm1::EntoureCBXClick()
{
    EntoureComboBox->setEnabled(EntoureCBX->isChecked());
    Modified = true;
}

// The property and the value separator share this handler.
void TForm1::SeparateurComboBoxChange()
{
    FinishBtn->setEnabled(SeparateurComboBox->currentText() != ValSeparateurComboBox->currentText());
    Modified = true;
}
