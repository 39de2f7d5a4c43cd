#include "CliArguments.h"
#include "CliCommands.h"
#include "CliDirectory.h"
#include "CliOutput.h"
#include "directory/tNDS.h"
#include "query/QueryFile.h"
#include "query/ReadSqlQuery.h"
#include "query/TDirectorySchema.h"
#include "query/TProfileFile.h"

namespace CliCommands {

int FromSql(const CliArguments &arguments)
{
    CliDirectory connection;
    if (!connection.Open(arguments.directory, arguments.tree)) {
        Complain(connection.Error());
        return connection.UnknownTree() ? kInvalid : kFailure;
    }
    TDirectorySchema schema(connection.Directory());
    TSqlQuery read = ReadSqlQuery(arguments.input, schema);
    if (!read.status.IsOk()) {
        Complain(read.status.message);
        return read.status.kind == TQueryStatus::FileError ? kFailure : kInvalid;
    }
    // Everything the SQL text does not hold keeps its start-up value.
    TQueryDefinition query;
    query.context = connection.Directory().CurrentContext;
    query.className = read.className;
    query.sortbycn = read.sortbycn;
    for (const TConditionList::Row &row : read.rows)
        query.Properties.append(row.property);
    query.Filters = std::move(read.rows);

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
