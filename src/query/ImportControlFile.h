#pragma once

#include "query/TQueryStatus.h"

#include <QString>

class QIODevice;
struct TQueryDefinition;

// The import control file of a query: the target context, the separator and delimiter
// as their texts stand, the fixed import settings and the fields in column order, one
// per property whose condition row is displayed (the condition rows are paired with
// Properties by position; a property past the last row is written, as a new row would
// be displayed). Lines end with CR LF.
QString ImportControlText(const TQueryDefinition &query);

// Writes ImportControlText as UTF-8; false when the device does not take every byte.
bool WriteImportControlFile(QIODevice &device, const TQueryDefinition &query);

// Creates or replaces the file at path, whole or not at all; FileError
// "Ne peut écrire dans <path>" on failure.
TQueryStatus WriteImportControlFile(const QString &path, const TQueryDefinition &query);
