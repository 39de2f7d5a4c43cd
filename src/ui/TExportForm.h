#pragma once

#include "engine/TExportObserver.h"
#include "ui/TResultsView.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

#include <exception>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
struct TExportJob;
class TExportRun;
class TPrompts;
class tNDS;

// The progress window of an export run. Shown modally by Execute; its one-shot timer
// starts the run once the window is on screen, the run fills the results page, and the
// window closes itself at the end, also when an error escapes the run.
class TExportForm : public QDialog, private TExportObserver
{
    Q_OBJECT

public:
    // The prompts must outlive the window.
    explicit TExportForm(TPrompts &prompts, QWidget *parent = nullptr);
    ~TExportForm() override;

    // Runs job on directory into view, showing this window modally until the run ends.
    // The directory's event pump must let Qt events through (the Cancel button works
    // from there). Returns when the window has closed; an exception that escaped the
    // run is thrown again from here.
    void Execute(tNDS &directory, const TExportJob &job, const TResultsView &view);

    // The delay of Timer1 before the run starts (1,000 ms; benches and tests shorten it).
    void SetStartDelay(int milliseconds);
    // How often the labels and the progress bar follow the run (every 20 ms; tests set 0
    // to see every step).
    void SetProgressInterval(int milliseconds) { progressIntervalMs_ = milliseconds; }

    QLabel *L1 = nullptr;
    QLabel *L2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QTimer *Timer1 = nullptr;

private:
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void BitBtn1Click();

    void showEvent(QShowEvent *event) override;
    // While the run works, closing the window (Escape, the title bar) cancels the run
    // instead: the window closes once the run has stopped.
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

    // TExportObserver
    void SetCaption(const QString &text) override;
    void SetL1(const QString &text) override;
    void SetL2(const QString &text) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetHitsCount(const QString &text) override;
    void SetObjectsScanned(const QString &text) override;
    void ShowInfo(const QString &text) override;
    void SetBusy(bool busy) override;
    void ClearResults() override;
    bool AddLine(const QString &line) override;

    void FlushLines();
    // Puts the latest labels and position on screen, at most every few milliseconds
    // unless forced: a run sets them several times an object.
    void ShowProgress(bool force);

    TPrompts &prompts_;
    tNDS *directory_ = nullptr;
    const TExportJob *job_ = nullptr;
    TResultsView view_;
    TExportRun *run_ = nullptr;
    std::exception_ptr escaped_;
    // Lines waiting to be handed to Memo1 in one batch, and since when the oldest waits.
    QStringList pending_;
    QElapsedTimer sinceFlush_;
    QString l1_;
    QString l2_;
    int position_ = 0;
    QElapsedTimer sinceShown_;
    int progressIntervalMs_ = 20;
    bool busy_ = false;
};
