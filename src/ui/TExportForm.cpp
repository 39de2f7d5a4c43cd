#include "ui/TExportForm.h"

#include "engine/TExportJob.h"
#include "engine/TExportRun.h"
#include "ui/TPrompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Lines are handed to the results view in batches: one insertion per line would make a
// large export spend most of its time laying out the view.
constexpr qint64 kFlushIntervalMs = 50;

} // namespace

TExportForm::TExportForm(TPrompts &prompts, QWidget *parent) : QDialog(parent), prompts_(prompts)
{
    setObjectName(QStringLiteral("ExportForm"));
    setModal(true);
    L1 = new QLabel(this);
    L1->setObjectName(QStringLiteral("L1"));
    L1->setMinimumWidth(420);
    L2 = new QLabel(this);
    L2->setObjectName(QStringLiteral("L2"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setAccessibleName(QStringLiteral("Progression"));
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(L1);
    layout->addWidget(L2);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    connect(Timer1, &QTimer::timeout, this, &TExportForm::Timer1Timer);
    connect(BitBtn1, &QPushButton::clicked, this, &TExportForm::BitBtn1Click);
    FormCreate();
}

TExportForm::~TExportForm() = default;

void TExportForm::Execute(tNDS &directory, const TExportJob &job, const TResultsView &view)
{
    directory_ = &directory;
    job_ = &job;
    view_ = view;
    escaped_ = nullptr;
    exec();
    directory_ = nullptr;
    job_ = nullptr;
    if (escaped_)
        std::rethrow_exception(std::exchange(escaped_, nullptr));
}

void TExportForm::SetStartDelay(int milliseconds)
{
    Timer1->setInterval(milliseconds);
}

void TExportForm::FormCreate()
{
    Timer1->stop();
}

void TExportForm::FormShow()
{
    setWindowTitle(QStringLiteral("Exportation en cours"));
    BitBtn1->setText(QStringLiteral("Annuler"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setVisible(true);
    l1_ = QStringLiteral("Lecture de %1").arg(job_ ? job_->context : QString());
    l2_.clear();
    position_ = 0;
    ShowProgress(true);
    // The run's state (separators, delimiter, name filter) is fixed in the job.
    if (job_)
        Timer1->start();
}

void TExportForm::Timer1Timer()
{
    Timer1->stop();
    TExportRun run(*directory_, *job_, *this);
    run_ = &run;
    try {
        run.RunExport();
    } catch (...) {
        escaped_ = std::current_exception();
    }
    run_ = nullptr;
    ShowProgress(true);
    FlushLines();
    SetBusy(false);
    view_.Memo1->setUndoRedoEnabled(true);
    accept();
}

void TExportForm::BitBtn1Click()
{
    if (run_)
        run_->Cancelled = true;
}

void TExportForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TExportForm::reject()
{
    if (run_) {
        run_->Cancelled = true;
        return;
    }
    Timer1->stop();
    QDialog::reject();
}

void TExportForm::closeEvent(QCloseEvent *event)
{
    if (run_) {
        run_->Cancelled = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TExportForm::SetCaption(const QString &text)
{
    setWindowTitle(text);
}

void TExportForm::SetL1(const QString &text)
{
    l1_ = text;
    ShowProgress(false);
}

void TExportForm::SetL2(const QString &text)
{
    l2_ = text;
    ShowProgress(false);
}

void TExportForm::SetProgressVisible(bool visible)
{
    ProgressBar1->setVisible(visible);
}

void TExportForm::SetProgressMaximum(int maximum)
{
    ProgressBar1->setMaximum(maximum);
}

void TExportForm::SetProgressPosition(int position)
{
    position_ = position;
    ShowProgress(position == 0);
}

void TExportForm::ShowProgress(bool force)
{
    if (!force && sinceShown_.isValid() && sinceShown_.elapsed() < progressIntervalMs_)
        return;
    // A long name is shortened in its middle rather than cut at the window's edge.
    L1->setText(L1->fontMetrics().elidedText(l1_, Qt::ElideMiddle, L1->width()));
    L2->setText(L2->fontMetrics().elidedText(l2_, Qt::ElideMiddle, L2->width()));
    ProgressBar1->setValue(position_);
    sinceShown_.start();
}

void TExportForm::SetHitsCount(const QString &text)
{
    view_.HitsCount->setText(text);
}

void TExportForm::SetObjectsScanned(const QString &text)
{
    view_.ObjectsScanned->setText(text);
}

void TExportForm::ShowInfo(const QString &text)
{
    FlushLines();
    prompts_.Info(this, text);
}

void TExportForm::SetBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

void TExportForm::ClearResults()
{
    pending_.clear();
    view_.Memo1->clear();
    // The run's lines are no edit of the user's: keeping them for undo would double the
    // memory of a large result.
    view_.Memo1->setUndoRedoEnabled(false);
    sinceFlush_.start();
}

bool TExportForm::AddLine(const QString &line)
{
    if (pending_.isEmpty())
        sinceFlush_.start();
    pending_.append(line);
    if (sinceFlush_.elapsed() >= kFlushIntervalMs)
        FlushLines();
    return true;
}

void TExportForm::FlushLines()
{
    if (pending_.isEmpty())
        return;
    view_.Memo1->appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
    // The last line comes into view from its start: the view does not scroll sideways.
    view_.Memo1->moveCursor(QTextCursor::End);
    view_.Memo1->moveCursor(QTextCursor::StartOfBlock);
    view_.Memo1->ensureCursorVisible();
    sinceFlush_.start();
}
