#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// An entry's attributes with their values, written as one block of bytes, so that an
// entry kept costs one allocation, not one per value, and few bytes besides its values:
// for each attribute its schema index, then each value as its length plus one and its
// bytes, then a zero; numbers in 7-bit groups, low first, the high bit marking that more
// follow. An attribute may come more than once (with options): LdapEntryView joins them.
class LdapEntryBlock
{
public:
    // Empties the block, keeping its storage.
    void Clear() { bytes_.clear(); }
    void StartAttribute(uint32_t attribute) { PutNumber(attribute); }
    // Adds a value to the attribute started last.
    void AddValue(std::string_view value);
    void EndAttribute() { bytes_.push_back('\0'); }
    std::string_view Bytes() const { return bytes_; }

private:
    void PutNumber(uint64_t number);

    std::string bytes_;
};
