#include "ui/TExportForm.h"
#include "engine/TExportRun.h"
#include <QPlainTextEdit>
TExportForm::TExportForm(TPrompts &prompts, QWidget *parent) : QDialog(parent), prompts_(prompts) {}
TExportForm::~TExportForm() = default;
void TExportForm::Execute(tNDS &directory, const TExportJob &job, const TResultsView &view)
{
    view_ = view;
    TExportRun run(directory, job, *this);
    run.RunExport();
}
void TExportForm::SetStartDelay(int) {}
void TExportForm::FormCreate() {}
void TExportForm::FormShow() {}
void TExportForm::Timer1Timer() {}
void TExportForm::BitBtn1Click() {}
void TExportForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
}
void TExportForm::SetCaption(const QString &) {}
void TExportForm::SetL1(const QString &) {}
void TExportForm::SetL2(const QString &) {}
void TExportForm::SetProgressVisible(bool) {}
void TExportForm::SetProgressMaximum(int) {}
void TExportForm::SetProgressPosition(int) {}
void TExportForm::SetHitsCount(const QString &) {}
void TExportForm::SetObjectsScanned(const QString &) {}
void TExportForm::ShowInfo(const QString &) {}
void TExportForm::SetBusy(bool) {}
void TExportForm::ClearResults()
{
    view_.Memo1->clear();
}
bool TExportForm::AddLine(const QString &line)
{
    view_.Memo1->appendPlainText(line);
    return true;
}
void TExportForm::FlushLines() {}
