#include "CliArguments.h"
#include "CliCommands.h"
#include "CliDirectory.h"
#include "CliExportObserver.h"
#include "CliInterrupt.h"
#include "CliOutput.h"
#include "directory/tNDS.h"
#include "engine/TExportRun.h"
#include "query/CollectConditions.h"
#include "query/ExportJobOf.h"
#include "query/QueryFile.h"
#include "query/TDirectorySchema.h"

namespace CliCommands {

int Run(const CliArguments &arguments)
{
    CliDirectory connection;
    if (!connection.Open(arguments.directory, arguments.tree)) {
        Complain(connection.Error());
        return connection.UnknownTree() ? kInvalid : kFailure;
    }
    tNDS &directory = connection.Directory();
    TDirectorySchema schema(directory);

    // What the wizard shows after connecting: the defaults a query file may leave out.
    TQueryDefinition current;
    current.context = directory.CurrentContext;
    current.className = schema.FindClass(QStringLiteral("User"));
    TQueryFileLoad load = LoadQueryFile(arguments.input, current, schema);
    if (!load.status.IsOk()) {
        Complain(load.status.message);
        return load.status.kind == TQueryStatus::FileError ? kFailure : kInvalid;
    }
    TQueryDefinition &query = load.query;
    // As opening a query in the wizard: an unusable context leaves the current one.
    directory.ChangeContext(query.context);
    query.context = directory.CurrentContext;
    if (const TQueryStatus checked = CollectConditions(query, schema); !checked.IsOk()) {
        Complain(checked.message);
        return kInvalid;
    }

    CliOutput output(arguments.output);
    if (!output.Open()) {
        Complain(output.Error());
        return kFailure;
    }
    CliExportObserver observer(output);
    const TExportJob job = ExportJobOf(query);
    TExportRun run(directory, job, observer);
    connection.SetEventPump([&run] {
        if (CliInterrupt::Requested())
            run.Cancelled = true;
    });
    run.RunExport();
    observer.ReportCounters();
    if (CliInterrupt::Requested()) {
        output.Discard();
        return kInterrupted;
    }
    if (run.WriteFailed || !output.Commit()) {
        Complain(output.Error());
        output.Discard();
        return kFailure;
    }
    return kSuccess;
}

} // namespace CliCommands
