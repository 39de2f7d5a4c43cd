#pragma once

#include <QString>

// The outcome of reading or writing a query, with the message the user is shown. The
// kind tells the caller how to show it and, for veltrane-cli, how to exit.
struct TQueryStatus {
    enum Kind {
        Ok,
        // A file could not be read or written ("Ne peut écrire dans %s" and the like).
        FileError,
        // A query file names a class the schema does not hold.
        ClassNotInSchema,
        // A query file holds more condition sections than property names.
        ConditionWithoutProperty,
        // The SQL text could not be cut into tokens (the message names the line).
        SqlSyntaxError,
        // A clause of the SQL text does not read ("erreur dans ..." and the token).
        SqlClauseError,
        // The SQL text's class or one of its properties is not in the schema.
        SqlSchemaError,
        // A condition row fails its checks (the condition's own message).
        InvalidCondition,
    };

    Kind kind = Ok;
    QString message;

    bool IsOk() const { return kind == Ok; }
    static TQueryStatus Error(Kind kind, const QString &message) { return {kind, message}; }
};
