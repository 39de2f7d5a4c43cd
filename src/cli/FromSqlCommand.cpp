#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliOutput.h"
#include "connect/TDirectoryConnection.h"
#include "directory/tNDS.h"
#include "query/QueryFile.h"
#include "query/QueryWorkflows.h"
#include "query/TDirectorySchema.h"
#include "query/TProfileFile.h"

namespace CliCommands {

int FromSql(const CliArguments &arguments)
{
    TDirectoryConnection connection(WriteReport);
    if (const int status = OpenDirectory(connection, arguments); status != kSuccess)
        return status;
    tNDS &directory = *connection.Directory();
    TDirectorySchema schema(directory);
    // Everything the SQL text does not hold keeps its start-up value.
    TQueryDefinition query = StartupQuery(directory, schema);
    if (const TQueryStatus read = OpenSqlQuery(arguments.input, query, schema); !read.IsOk()) {
        Complain(read.message);
        return ExitStatusOf(read, schema);
    }

    TProfileFile profile;
    WriteQueryProfile(profile, query);
    CliOutput output(arguments.output);
    if (!output.Open() || !output.Write(profile.ToText()) || !output.Commit()) {
        Complain(output.Error());
        return kFailure;
    }
    return kSuccess;
}

} // namespace CliCommands
