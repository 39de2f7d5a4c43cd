#pragma once

#include "engine/TExportJob.h"
#include "engine/TFoundNames.h"

#include <QString>
#include <QStringList>

class TExportObserver;
class tNDS;
struct TNDSObj;

// One export run: finds the objects of the job's class under its context, reads the
// chosen properties of each, keeps those that meet every condition and writes one
// line per kept object to the observer. It knows nothing of windows; the driver sets
// Cancelled (between steps the run lets pending events through the directory's event
// pump, where a Cancel button or a signal can set it).
class TExportRun
{
public:
    // The directory, the job and the observer must outlive the run.
    TExportRun(tNDS &directory, const TExportJob &job, TExportObserver &observer);

    // The whole run.
    void RunExport(bool recursive);

    // Set to stop the run at its next check.
    bool Cancelled = false;
    // Set when a result line could not be written; the run then stops as if cancelled.
    bool WriteFailed = false;

private:
    void CollectObject(const QString &container, const TNDSObj &entry, bool &stop);
    int ExportObjects(const TFoundNames &found, int count);
    void AddField(const QString &text, bool first);
    void EmitLine();
    void SortFound();

    tNDS &directory_;
    const TExportJob &job_;
    TExportObserver &observer_;

    bool Recurse = false;
    QString FieldSep;
    QString ValueSep;
    QString Delim;
    QString Line;
    QString NamePrefix;
    TFoundNames Found;
    bool nextIsFirst_ = true;
};
