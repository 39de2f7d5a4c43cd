#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// An entry's attributes with their values, written as one block of bytes, so that an
// entry kept costs one allocation, not one per value: for each attribute its schema
// index and its count of values (4 bytes each), then each value as its length (4 bytes)
// and its bytes. An attribute may come more than once (with options): LdapEntryView
// joins them.
class LdapEntryBlock
{
public:
    // Empties the block, keeping its storage.
    void Clear();
    void StartAttribute(uint32_t attribute);
    // Adds a value to the attribute started last.
    void AddValue(std::string_view value);
    std::string_view Bytes() const { return bytes_; }

private:
    void PutU32(uint32_t value);

    std::string bytes_;
    size_t countAt_ = 0; // where the started attribute's count of values lies
};
