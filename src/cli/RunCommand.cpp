#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliExportObserver.h"
#include "cli/CliInterrupt.h"
#include "cli/CliOutput.h"
#include "connect/TDirectoryConnection.h"
#include "directory/tNDS.h"
#include "engine/TExportJob.h"
#include "engine/TExportRun.h"
#include "query/QueryWorkflows.h"
#include "query/ResultsEncoding.h"
#include "workbook/TWorkbookWriter.h"

#include "query/TDirectorySchema.h"
#include <functional>
#include <memory>

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
        return ExitStatusOf(load.status, schema);
    }
    if (!arguments.encoding.isEmpty())
        load.query.encoding = arguments.encoding;
    if (arguments.formulaGuard)
        load.query.formulaguard = *arguments.formulaGuard;
    TExportJob job;
    if (const TQueryStatus prepared = PrepareRun(load.query, schema, job); !prepared.IsOk()) {
        Complain(prepared.message);
        return ExitStatusOf(prepared, schema);
    }

    // The results go to a workbook or to text, written whole or not at all.
    std::unique_ptr<TWorkbookWriter> workbook;
    std::unique_ptr<CliOutput> text;
    std::function<bool(const QString &)> addLine;
    // What an immediate exit (a second signal) removes is forgotten whatever the outcome.
    struct ForgetPendingFile {
        ~ForgetPendingFile() { CliInterrupt::SetPendingFile({}); }
    } forgetPendingFile;
    if (arguments.WritesWorkbook()) {
        workbook = std::make_unique<TWorkbookWriter>(arguments.output, WorkbookLayoutOf(job));
        if (!workbook->Open()) {
            Complain(workbook->Error());
            return kFailure;
        }
        CliInterrupt::SetPendingFile(workbook->TemporaryPath());
        addLine = [&workbook](const QString &line) { return workbook->AddLine(line); };
    } else {
        text = std::make_unique<CliOutput>(arguments.output, ResultsEncoding::FromName(load.query.encoding));
        if (!text->Open()) {
            Complain(text->Error());
            return kFailure;
        }
        addLine = [&text](const QString &line) { return text->Write(line + QStringLiteral("\r\n")); };
    }
    const auto discard = [&] {
        if (workbook)
            workbook->Discard();
        else
            text->Discard();
    };
    CliExportObserver observer(addLine);
    TExportRun run(directory, job, observer);
    connection.SetEventPump([&run] {
        if (CliInterrupt::Requested())
            run.Cancelled = true;
    });
    CliInterrupt::SetDeferred(true);
    run.RunExport();
    CliInterrupt::SetDeferred(false);
    connection.SetEventPump({});
    observer.ReportCounters();
    if (CliInterrupt::Requested()) {
        discard();
        return kInterrupted;
    }
    if (run.DirectoryFailed) {
        discard();
        return kFailure;
    }
    if (run.WriteFailed || !(workbook ? workbook->Commit() : text->Commit())) {
        Complain(workbook ? workbook->Error() : text->Error());
        discard();
        return kFailure;
    }
    return kSuccess;
}

} // namespace CliCommands
