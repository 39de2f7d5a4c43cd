#pragma once

#include "engine/TExportObserver.h"

#include <functional>

// Drives an export from the command line: result lines go to the output; information messages to standard error; with a
// terminal on standard error a progress line shows the objects read out of the objects found.
class CliExportObserver : public TExportObserver
{
public:
    // addLine takes each result line; false stops the run (the output failed).
    explicit CliExportObserver(std::function<bool(const QString &)> addLine);
    ~CliExportObserver() override;

    // Only the counters' last texts are written.
    bool ShowsLabels() const override { return false; }
    bool AddLine(const QString &line) override;
    void ShowInfo(const QString &text) override;
    void SetProgressMaximum(int maximum) override { maximum_ = maximum; }
    void SetProgressPosition(int position) override;
    void SetHitsCount(const QString &text) override { hitsCount_ = text; }
    void SetObjectsScanned(const QString &text) override { objectsScanned_ = text; }

    // Writes the counter texts the run set, one a line, to standard error.
    void ReportCounters();

private:
    void ClearProgress();

    std::function<bool(const QString &)> addLine_;
    bool terminal_;
    bool progressShown_ = false;
    int maximum_ = 0;
    qint64 lastDrawn_ = 0;
    QString hitsCount_;
    QString objectsScanned_;
};
