#pragma once

#include <cstdint>

// The value kind of a property, which decides how its conditions compare values.
enum tDataType : uint8_t {
    dtUnknown = 0,
    dtInteger = 1,
    dtString = 2,
    dtBoolean = 3,
    dtDate = 4,
};
