#pragma once

#include <cstddef>
#include <memory>

// The area a value record is written to, kept from value to value. Under
// AddressSanitizer the bytes past the size asked for are poisoned, so that a record
// overrunning its size is caught as in an area made to measure.
class ValueArea
{
public:
    ValueArea() = default;
    ValueArea(const ValueArea &) = delete;
    ValueArea &operator=(const ValueArea &) = delete;
    ~ValueArea();

    // An area of size bytes, valid until the next call; throws std::bad_alloc.
    std::byte *Get(size_t size);

private:
    std::unique_ptr<std::byte[]> bytes_;
    size_t capacity_ = 0;
};
