#pragma once

#include "query/TConditionList.h"
#include "query/TQueryStatus.h"

#include <QString>

class TQuerySchema;

// What an SQL text gives back to a query.
struct TSqlQuery {
    // Ok, or why nothing can be taken from the text: FileError (unreadable file),
    // SqlSyntaxError, SqlClauseError or SqlSchemaError.
    TQueryStatus status;
    // The class as the schema lists it.
    QString className;
    // Set by an ORDER BY clause.
    bool sortbycn = false;
    // The SELECT columns in order (displayed), then the properties that only WHERE names
    // (not displayed), in WHERE order; tn and tip from the schema. Empty on failure.
    TConditionList rows;
};

// Reads the SQL text file at fileName (UTF-8, or Windows-1252 when not valid UTF-8)
// and checks its class and properties with schema; see ReadSqlText. A file of more
// than 64 MiB is refused with FileError "Ne peut lire <path> : le fichier dépasse 64 Mo".
TSqlQuery ReadSqlQuery(const QString &fileName, TQuerySchema &schema);

// Reads an SQL text as BuildSqlText writes it, and the variants its clause readers
// allow, then checks that schema lists the class (case ignored) and that the class has
// every row's property (case ignored).
TSqlQuery ReadSqlText(const QString &text, TQuerySchema &schema);
