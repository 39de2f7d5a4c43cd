#pragma once

#include <QString>

// The short form of a name value holding the marker "NDS:\\": the text after its last
// backslash. For a property of type "NWPath", only the part before the first comma is
// shortened. Any other value is returned unchanged.
QString ShortName(const QString &value, const QString &typeName);
