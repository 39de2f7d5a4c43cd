#pragma once

#include "query/ResultsEncoding.h"
#include "query/TQueryStatus.h"

#include <QString>
#include <QStringList>

// Writes the results lines to path in encoding, each followed by CR LF, as
// veltrane-cli writes them: the whole file or nothing. A character the encoding cannot hold
// refuses the save before anything is written (FileError naming its line and column);
// a failed write leaves any earlier file at path as it was (FileError "Ne peut écrire
// dans <path>: <reason>").
TQueryStatus WriteResultsFile(const QString &path, const QStringList &lines, TResultsEncoding encoding);
