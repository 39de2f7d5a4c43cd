#pragma once

// An export run of a job over a client, as veltrane-cli runs one: the lines it writes, the
// reports it makes, and whether the directory failed.

#include "directory/client/NWClient.h"
#include "directory/tNDS.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"

#include <QStringList>

struct ExportLines {
    QStringList lines;
    QStringList reports;
    bool directoryFailed = false;
};

inline ExportLines RunExport(NWClient &client, const TExportJob &job)
{
    class Lines : public TExportObserver
    {
    public:
        explicit Lines(QStringList &lines) : lines_(lines) {}
        bool AddLine(const QString &line) override
        {
            lines_ << line;
            return true;
        }

    private:
        QStringList &lines_;
    };
    ExportLines outcome;
    tNDS directory(client, DirectoryHooks{[&](const QString &text) { outcome.reports << text; }, {}, {}});
    Lines observer(outcome.lines);
    TExportRun run(directory, job, observer);
    run.RunExport();
    outcome.directoryFailed = run.DirectoryFailed;
    return outcome;
}
