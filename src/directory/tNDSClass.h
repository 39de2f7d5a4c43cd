#pragma once

#include "directory/client/NWClient.h"

#include <QString>

// One class definition of the schema.
struct tNDSClass {
    QString Name;
    Class_Info_T Info{}; // Info.classFlags & DS_EFFECTIVE_CLASS: objects can be created
};
