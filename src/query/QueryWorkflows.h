#pragma once

#include "query/QueryFile.h"
#include "query/TQueryDefinition.h"
#include "query/TQueryStatus.h"

#include <QString>

class tNDS;
class TQuerySchema;
struct TExportJob;

// What a user does with a query, written once for the window and veltrane-cli.

// The query shown after connecting: every key at its start-up default, the class "User"
// when the schema lists it, the context the connection's current one.
TQueryDefinition StartupQuery(const tNDS &directory, TQuerySchema &schema);

// Opens a query file as Open does: loads it over current (see LoadQueryFile: the class
// is checked against the schema's effective classes), then makes its context the
// connection's current context (an unusable one leaves the current context) and
// records the context the connection actually holds. On failure nothing changes.
TQueryFileLoad OpenQueryFile(const QString &path, const TQueryDefinition &current, tNDS &directory,
                             TQuerySchema &schema);

// Reads the SQL text file at path as the SQL opening does (class and properties checked
// against the schema) and installs it into query: the class, the sort flag, the chosen
// properties in row order and the rows. Every other field stays. On failure query is
// left as it was and the status says why.
TQueryStatus OpenSqlQuery(const QString &path, TQueryDefinition &query, TQuerySchema &schema);

// Prepares a run of query: checks its rows as leaving the conditions page does (see
// CollectConditions), then fills job with the separators resolved. job points to the
// query's rows, so query must outlive it and stay unchanged while it runs. On failure
// the rows are as they were and job is untouched.
TQueryStatus PrepareRun(TQueryDefinition &query, TQuerySchema &schema, TExportJob &job);
