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
    // The directory, the job (and the conditions it points to) and the observer must
    // outlive the run.
    TExportRun(tNDS &directory, const TExportJob &job, TExportObserver &observer);

    // The whole run, as the job describes it. A condition that cannot be evaluated on an
    // object's value drops that object (or, for "n'existe pas", keeps it), and an object
    // whose reads run out of memory gets the line "erreur en lecture de <name>"; any other
    // exception, one thrown by an event handler run from the event pump among them,
    // leaves the run at once (the busy state ended, the found names freed) and reaches
    // the caller.
    void RunExport();

    // Read between steps: set it (from the event pump, say) to stop the run at its next
    // check. While the names are collected, the collection stops and no line is written;
    // while the objects are read, the line in progress is finished first, then the run
    // stops. The run sets it itself when a line could not be written.
    bool Cancelled = false;
    // Set, together with Cancelled, when the observer could not take a result line: what
    // was written is incomplete and the driver must not keep it as the result.
    bool WriteFailed = false;
    // Set, together with Cancelled, when the directory stopped the run: a listing failed
    // (a server limit hit, say) or the directory cannot be reached any more. The failure
    // has been reported; no line follows it, and the driver must not keep the result.
    bool DirectoryFailed = false;

private:
    void CollectObject(const QString &container, const TNDSObj &entry, bool &stop);
    int ExportObjects();
    void AddField(const QString &field);
    void EmitLine();
    void SortFound();

    tNDS &directory_;
    const TExportJob &job_;
    TExportObserver &observer_;
    // Whether the observer shows the labels (ShowsLabels).
    const bool labels_;

    // The name filter in upper case, its "*" removed.
    QString NamePrefix;
    QString Line;
    TFoundNames Found;
    bool nextIsFirst_ = true;
};
