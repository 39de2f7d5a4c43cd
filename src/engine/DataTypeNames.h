#pragma once

#include "directory/tDataType.h"

#include <QString>

#include <array>
#include <cstdint>

// The French names of the value kinds, indexed by tDataType, as condition messages
// show them.
extern const std::array<QString, 5> DataTypeNames;

// The French name of value kind tip; "inconnu" for a value past dtDate.
QString DataTypeName(uint8_t tip);
