#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliExportObserver.h"
#include "cli/CliInterrupt.h"
#include "cli/CliOutput.h"
#include "directory/TDirectoryConnection.h"
#include "directory/tNDS.h"
#include "engine/TExportJob.h"
#include "engine/TExportRun.h"
#include "query/QueryWorkflows.h"
#include "query/ResultsEncoding.h"
#include "query/TDirectorySchema.h"

namespace CliCommands {

int Run(const CliArguments &arguments)
{
    TDirectoryConnection connection(WriteReport);
    if (const int status = OpenDirectory(connection, arguments); status != kSuccess)
        return status;
    tNDS &directory = *connection.Directory();
    TDirectorySchema schema(directory);

    TQueryFileLoad load = OpenQueryFile(arguments.input, StartupQuery(directory, schema), directory, schema);
    if (!load.status.IsOk()) {
        Complain(load.status.message);
        return ExitStatusOf(load.status);
    }
    if (!arguments.encoding.isEmpty())
        load.query.encoding = arguments.encoding;
    if (arguments.formulaGuard)
        load.query.formulaguard = *arguments.formulaGuard;
    TExportJob job;
    if (const TQueryStatus prepared = PrepareRun(load.query, schema, job); !prepared.IsOk()) {
        Complain(prepared.message);
        return ExitStatusOf(prepared);
    }

    CliOutput output(arguments.output, ResultsEncoding::FromName(load.query.encoding));
    if (!output.Open()) {
        Complain(output.Error());
        return kFailure;
    }
    CliExportObserver observer(output);
    TExportRun run(directory, job, observer);
    connection.SetEventPump([&run] {
        if (CliInterrupt::Requested())
            run.Cancelled = true;
    });
    run.RunExport();
    connection.SetEventPump({});
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
