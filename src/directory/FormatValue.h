#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class tNDS;

// Appends the text lines of one attribute value to lines.
// - value: the area NWDSGetAttrVal filled for syntaxId (the syntax's record of
//   NWValues.h, with its texts and bytes), read only; ignored for streams, whose text
//   is read through NWDSOpenStream on directory's context with objectName and
//   attributeName.
// - prefix: the message prefix of the read in progress, put before every report.
// Stream failures are reported through directory.ReportError and add no line; the
// result stays true. An unrecognised syntax (0, or 30 and above) is reported with
// code -999 and gives false: the caller ends the attribute's read.
bool FormatValue(tNDS &directory, uint32_t syntaxId, const void *value, const QString &objectName,
                 const QString &attributeName, const QString &prefix, QStringList &lines);

// The same, with the prefix made by prefix() only when a report needs it: a reader
// formats many values and seldom reports.
bool FormatValue(tNDS &directory, uint32_t syntaxId, const void *value, const QString &objectName,
                 const QString &attributeName, const std::function<QString()> &prefix, QStringList &lines);
