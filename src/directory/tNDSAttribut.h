#pragma once

#include "directory/client/NWClient.h"
#include "directory/tDataType.h"

#include <QString>

// One attribute definition of the schema.
struct tNDSAttribut {
    QString Name;
    Attr_Info_T Info{};
    QString SyntaxName; // the syntax type name ("String", "Long", "NWPath", ...)
    tDataType DataType = dtUnknown;
};
