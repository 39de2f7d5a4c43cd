#pragma once

#include "query/TQueryDefinition.h"
#include "query/TQueryStatus.h"

#include <QString>

class TProfileFile;
class TQuerySchema;

// The query file (.REQ): every field of a query in INI form, section "options", the
// property names in "Properties" (keys "0", "1", ...) and one "Filter<i>" section per
// condition row (op, tip, v1, v2, tn, disp).

// What loading a query file yields.
struct TQueryFileLoad {
    // Ok, or FileError (unreadable file, absurd property count), ClassNotInSchema or
    // ConditionWithoutProperty.
    TQueryStatus status;
    // On success the whole query to install: fields as read, or their defaults (the
    // caller's current values for className, context and the check boxes). The window
    // makes context the current context and then shows the connection's actual one.
    TQueryDefinition query;
    // The file named a class (to select, as LastClassIndex, with NextBtn enabled);
    // otherwise query.className is the caller's current class.
    bool classRead = false;
};

// What saving a query file did.
struct TQueryFileSave {
    // Ok, or FileError "Ne peut écrire dans <path>" naming the file that failed.
    TQueryStatus status;
    // The query file itself was written (the caller then records its name and clears
    // Modified), even when its SQL or control file failed afterwards.
    bool queryFileWritten = false;
};

// Reads the query in profile. current gives the defaults the file may leave out;
// schema checks the class. The i-th condition section goes with the i-th non-empty
// property name. More than 100,000 properties are refused with FileError "Nombre de
// propriétés hors limites (<n>)". All or nothing: a failure yields no query at all.
TQueryFileLoad ReadQueryProfile(const TProfileFile &profile, const TQueryDefinition &current, TQuerySchema &schema);

// Loads the query file at path (UTF-8, or Windows-1252 when not valid UTF-8); see
// ReadQueryProfile. An unreadable file gives FileError "Ne peut lire <path>", a file of
// more than 16 MiB "Ne peut lire <path> : le fichier dépasse 16 Mo"; a FileError of its
// contents ends with " dans <path>".
TQueryFileLoad LoadQueryFile(const QString &path, const TQueryDefinition &current, TQuerySchema &schema);

// Writes the query into profile key by key: the options, then the Properties section
// anew, then the Filters section erased and the Filter<i> sections written over.
// Filter sections of an earlier save with more rows stay (they are never read), as do
// keys and sections of other writers.
void WriteQueryProfile(TProfileFile &profile, const TQueryDefinition &query);

// Saves the query at path, keeping what the file held that WriteQueryProfile does not
// write, then writes the SQL text and the import control file beside it (extensions
// ".SQL" and ".CTL"). Each file is written whole or not at all: a failure leaves that
// file as it was and stops the save there.
TQueryFileSave SaveQueryFile(const QString &path, const TQueryDefinition &query);
