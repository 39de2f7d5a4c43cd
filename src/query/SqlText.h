#pragma once

#include "query/TQueryStatus.h"

#include <QString>

class QIODevice;
class TConditionList;

// The SQL text of a query: a SELECT line with the displayed properties, a FROM line
// with the class, a WHERE line with the conditions (when a row has an operator) and an
// ORDER BY CN line (when sorted), each ending with CR LF. ReadSqlText reads it back.

// The name as the SQL text writes it: between "[" and "]" unless it reads back as one
// word (ASCII letters, digits and underscores, not starting with a digit, not a word
// of the SQL word table).
QString QuoteSqlName(const QString &name);

QString BuildSqlText(const TConditionList &conditions, const QString &className, bool sortbycn);

// Writes BuildSqlText as UTF-8, nothing added; false when the device does not take
// every byte.
bool WriteSqlText(QIODevice &device, const TConditionList &conditions, const QString &className, bool sortbycn);

// Creates or replaces the file at path with the SQL text, whole or not at all;
// FileError "Ne peut écrire dans <path>" on failure.
TQueryStatus WriteSqlFile(const QString &path, const TConditionList &conditions, const QString &className,
                          bool sortbycn);
