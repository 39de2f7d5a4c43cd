#include "query/QueryWorkflows.h"

#include "directory/tNDS.h"
#include "engine/TExportJob.h"
#include "query/CollectConditions.h"
#include "query/ExportJobOf.h"
#include "query/ReadSqlQuery.h"
#include "query/TQuerySchema.h"

TQueryDefinition StartupQuery(const tNDS &directory, TQuerySchema &schema)
{
    TQueryDefinition query;
    query.context = directory.CurrentContext;
    query.className = schema.FindClass(QStringLiteral("User"));
    return query;
}

TQueryFileLoad OpenQueryFile(const QString &path, const TQueryDefinition &current, tNDS &directory,
                             TQuerySchema &schema)
{
    TQueryFileLoad load = LoadQueryFile(path, current, schema);
    if (!load.status.IsOk())
        return load;
    directory.ChangeContext(load.query.context);
    load.query.context = directory.CurrentContext;
    return load;
}

TQueryStatus OpenSqlQuery(const QString &path, TQueryDefinition &query, TQuerySchema &schema)
{
    TSqlQuery read = ReadSqlQuery(path, schema);
    if (!read.status.IsOk())
        return read.status;
    query.className = read.className;
    query.sortbycn = read.sortbycn;
    query.Properties.clear();
    for (const TConditionList::Row &row : read.rows)
        query.Properties.append(row.property);
    query.Filters = std::move(read.rows);
    return {};
}

TQueryStatus PrepareRun(TQueryDefinition &query, TQuerySchema &schema, TExportJob &job)
{
    if (TQueryStatus checked = CollectConditions(query, schema); !checked.IsOk())
        return checked;
    job = ExportJobOf(query);
    return {};
}
