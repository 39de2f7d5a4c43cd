#include "ui/TForm1.h"

#include "directory/tNDS.h"
#include "engine/EConvertError.h"
#include "engine/EInvalidCondition.h"
#include "engine/Operators.h"
#include "query/TDirectorySchema.h"
#include "ui/TConditionGrid.h"
#include "ui/TPropertyList.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

// The column widths and the row height of the grid.
constexpr int kColumnWidths[] = {96, 113, 105, 96, 34, 96};
constexpr int kRowHeight = 21;

} // namespace

QWidget *TForm1::BuildPage2()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Troisieme"));
    auto *layout = new QVBoxLayout(page);
    StringGrid1 = new TConditionGrid(page);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setColumnCount(6);
    StringGrid1->SetRowCount(2);
    for (int column = 0; column < 6; ++column)
        StringGrid1->setColumnWidth(column, kColumnWidths[column]);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->SelectCell = [this](int column, int row) { return StringGrid1SelectCell(column, row); };
    Label7 = new QLabel(QStringLiteral("Conditions on properties"), page);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setBuddy(StringGrid1);
    layout->addWidget(Label7);
    layout->addWidget(StringGrid1, 1);

    const auto dropDown = [this](const char *name) {
        auto *box = new QComboBox(StringGrid1->viewport());
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(false);
        box->hide();
        StringGrid1->AddDropDown(box);
        return box;
    };
    OperationsComboBox = dropDown("OperationsComboBox");
    OperationsComboBox->setAccessibleName(QStringLiteral("Condition"));
    OuiNonComboBox = dropDown("OuiNonComboBox");
    OuiNonComboBox->setAccessibleName(QStringLiteral("Affiche"));

    connect(OperationsComboBox, &QComboBox::activated, this, &TForm1::OperationsComboBoxChange);
    connect(OuiNonComboBox, &QComboBox::activated, this, &TForm1::OuiNonComboBoxChange);
    connect(StringGrid1, &QTableWidget::itemChanged, this, &TForm1::StringGrid1SetEditText);
    // The drop-downs stay over their cells only while the grid does not scroll.
    for (QScrollBar *bar : {StringGrid1->horizontalScrollBar(), StringGrid1->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            OperationsComboBox->hide();
            OuiNonComboBox->hide();
        });
    }
    return page;
}

void TForm1::BuildConditionGrid()
{
    const QString className = SelectedClass();
    std::vector<int> pending;
    pending.reserve(size_t(Filters.Count()));
    for (int i = 0; i < Filters.Count(); ++i)
        pending.push_back(i);
    RowTotal = PropertiesListBox2->count();
    {
        const QSignalBlocker blocker(StringGrid1);
        StringGrid1->clearContents();
        StringGrid1->SetRowCount(RowTotal + 1);
        for (int r = 1; r <= RowTotal; ++r) {
            const QString name = PropertiesListBox2->item(r - 1)->text();
            StringGrid1->SetCell(0, r, name);
            auto found = pending.begin();
            while (found != pending.end() && Filters.Property(*found).compare(name, Qt::CaseInsensitive) != 0)
                ++found;
            if (found == pending.end()) {
                StringGrid1->SetCell(1, r, QStringLiteral("aucune"));
                StringGrid1->SetCell(2, r, QString());
                StringGrid1->SetCell(3, r, QString());
                StringGrid1->SetCell(4, r, QStringLiteral("oui"));
                StringGrid1->SetCell(
                    5, r, Directory() ? Directory()->PropertySyntaxName(className, name) : QStringLiteral("inconnu"));
            } else {
                const tCondition &row = Filters.Condition(*found);
                StringGrid1->SetCell(1, r, OperatorName(row.op));
                StringGrid1->SetCell(2, r, row.v1);
                StringGrid1->SetCell(3, r, row.v2);
                StringGrid1->SetCell(4, r, row.disp ? QStringLiteral("oui") : QStringLiteral("non"));
                StringGrid1->SetCell(5, r, row.tn);
                pending.erase(found);
            }
        }
    }
    for (int i = Filters.Count() - 1; i >= 0; --i) {
        if (!Holds(PropertiesListBox2, Filters.Property(i))) {
            Filters.RemoveAt(i);
            Modified = true;
        }
    }
    // A column is as wide as the description says, or as its texts need.
    for (int column = 0; column < StringGrid1->columnCount(); ++column) {
        StringGrid1->setColumnWidth(column, std::max({kColumnWidths[column], StringGrid1->ColumnTextWidth(column),
                                                      StringGrid1->horizontalHeader()->sectionSizeHint(column)}));
    }
    if (RowTotal == 0)
        return;
    StringGrid1->MakeCurrent(2, 1);
    StringGrid1SelectCell(1, 1);
}

bool TForm1::StringGrid1SelectCell(int column, int row)
{
    if (row > RowTotal)
        return false;
    if (column == 1 || column == 4) {
        EditRow = row;
        LayDropDown(column == 1 ? OperationsComboBox : OuiNonComboBox, column, row);
        return false;
    }
    OperationsComboBox->hide();
    OuiNonComboBox->hide();
    const uint8_t op = OperatorFromName(StringGrid1->Cell(1, row));
    switch (column) {
    case 2:
        return op >= opEgal;
    case 3:
        return op == opEntre;
    case 5:
        return false;
    default:
        return true;
    }
}

void TForm1::LayDropDown(QComboBox *dropDown, int column, int row)
{
    const int index = dropDown->findText(StringGrid1->Cell(column, row), Qt::MatchExactly | Qt::MatchCaseSensitive);
    dropDown->setCurrentIndex(index >= 0 ? index : 0);
    StringGrid1->ShowDropDown(dropDown, column, row);
}

void TForm1::OperationsComboBoxChange()
{
    const QSignalBlocker blocker(StringGrid1);
    StringGrid1->SetCell(1, EditRow, OperationsComboBox->currentText());
    const int k = OperationsComboBox->currentIndex();
    if (k < opEgal)
        StringGrid1->SetCell(2, EditRow, QString());
    if (k != opEntre)
        StringGrid1->SetCell(3, EditRow, QString());
    Modified = true;
}

void TForm1::OuiNonComboBoxChange()
{
    const QSignalBlocker blocker(StringGrid1);
    StringGrid1->SetCell(4, EditRow, OuiNonComboBox->currentText());
}

void TForm1::StringGrid1SetEditText()
{
    Modified = true;
}

bool TForm1::CollectConditions()
{
    const QString className = SelectedClass();
    tNDS *directory = Directory();
    TConditionList collected;
    for (int r = 1; r < StringGrid1->RowCount(); ++r) {
        const QString name = StringGrid1->Cell(0, r);
        if (name.isEmpty())
            continue;
        const QString syntaxName =
            directory ? directory->PropertySyntaxName(className, name) : QStringLiteral("inconnu");
        const tDataType kind = schema_ ? schema_->SyntaxNameToDataType(syntaxName) : dtUnknown;
        const tCondition condition(OperatorFromName(StringGrid1->Cell(1, r)), kind, StringGrid1->Cell(2, r),
                                   StringGrid1->Cell(3, r), StringGrid1->Cell(5, r),
                                   StringGrid1->Cell(4, r) == QLatin1String("oui"));
        QString failure;
        bool failed = true;
        try {
            condition.Validate();
            failed = false;
        } catch (const EInvalidCondition &error) {
            failure = error.Message();
        } catch (const EConvertError &error) {
            failure = error.Message();
        }
        if (failed) {
            StringGrid1->setCurrentCell(r - 1, StringGrid1->currentColumn() > 0 ? StringGrid1->currentColumn() : 2);
            ShowError(failure);
            return false;
        }
        collected.Add(name, condition);
    }
    Filters = std::move(collected);
    return true;
}
