#include "ui/TForm1.h"

#include "query/QueryWorkflows.h"
#include "query/ResultsEncoding.h"
#include "query/TDirectorySchema.h"
#include "ui/TBusyCursor.h"
#include "ui/TChoiceComboBox.h"
#include "ui/TPropertyList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

namespace {

// Chooses the item of box whose text is text (case ignored); none when no item is.
void ChooseText(TChoiceComboBox *box, const QString &text)
{
    box->Choose(box->findText(text, Qt::MatchFixedString));
}

// The path with its extension (if any) replaced by suffix.
QString WithSuffix(const QString &path, const QString &suffix)
{
    const QFileInfo info(path);
    const QString base = info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
    return base + suffix;
}

} // namespace

QString TForm1::SqlNameOf(const QString &queryFileName)
{
    return queryFileName.isEmpty() ? QStringLiteral(".sql") : WithSuffix(queryFileName, QStringLiteral(".sql"));
}

bool TForm1::SelectClass(const QString &className)
{
    const QList<QListWidgetItem *> found = ClassListBox->findItems(className, Qt::MatchFixedString);
    if (found.isEmpty())
        return false;
    ClassListBox->setCurrentItem(found.front());
    found.front()->setSelected(true);
    return true;
}

void TForm1::LoadQueryFile(const QString &path)
{
    tNDS *directory = Directory();
    if (!directory || !schema_)
        return;
    const TBusyCursor busy;
    TQueryFileLoad load = OpenQueryFile(path, QueryFromControls(), *directory, *schema_);
    if (!load.status.IsOk()) {
        if (load.status.kind == TQueryStatus::ClassNotInSchema)
            NextBtn->setEnabled(false);
        ShowError(load.status.message);
        return;
    }
    const TQueryDefinition &query = load.query;
    if (load.classRead && SelectClass(query.className)) {
        LastClassIndex = ClassListBox->currentRow();
        NextBtn->setEnabled(true);
    }
    ChooseText(SeparateurComboBox, query.separator);
    ChooseText(ValSeparateurComboBox, query.valseparator);
    ChooseText(EntoureComboBox, query.delimiter);
    FilterEdit->setText(query.filter);
    // The connection already holds the file's context, or kept its own when that one
    // could not be used; the list shows where it actually is.
    FillContextList();
    ChampsCBX->setChecked(query.fieldsonfirstline);
    EntoureCBX->setChecked(query.usedelimiter);
    EntoureComboBox->setEnabled(query.usedelimiter);
    RecursiveCBX->setChecked(query.recursive);
    SortedCBX->setChecked(query.sortbycn);
    CleanCtxCBX->setChecked(query.cleancontext);
    AddContainerCBX->setChecked(query.addcontainer);
    SQLCBX->setChecked(query.sqltop);
    EncodingComboBox->setCurrentIndex(static_cast<int>(ResultsEncoding::FromName(query.encoding)));
    FormulaGuardCBX->setChecked(query.formulaguard);
    PropertiesListBox2->clear();
    PropertiesListBox2->addItems(query.Properties);
    Filters = std::move(load.query.Filters);
    SetQueryFileName(path);
    Modified = false;
}

bool TForm1::SaveQueryFile(const QString &path)
{
    const TBusyCursor busy;
    const TQueryFileSave saved = ::SaveQueryFile(path, QueryFromControls());
    if (saved.queryFileWritten) {
        SetQueryFileName(path);
        Modified = false;
    }
    if (!saved.status.IsOk()) {
        ShowError(saved.status.message);
        return false;
    }
    return true;
}

void TForm1::OpenSqlQueryFile(const QString &path)
{
    if (!schema_)
        return;
    TQueryDefinition query = QueryFromControls();
    {
        const TBusyCursor busy;
        if (const TQueryStatus read = OpenSqlQuery(path, query, *schema_); !read.IsOk()) {
            // A clause that does not read is told in a plain box, as the reader's
            // other failures are errors.
            if (read.kind == TQueryStatus::SqlClauseError)
                prompts_.Message(this, read.message);
            else
                ShowError(read.message);
            return;
        }
    }
    Filters = std::move(query.Filters);
    {
        // Choosing the class here is not the user's choice of a class: the class
        // page's memory of the last choice stays.
        const QSignalBlocker blocker(ClassListBox);
        SelectClass(query.className);
    }
    PropertiesListBox2->clear();
    PropertiesListBox2->addItems(query.Properties);
    SortedCBX->setChecked(query.sortbycn);
    SetQueryFileName(WithSuffix(path, QStringLiteral(".req")));
    Modified = false;
    NextBtnClick();
}
