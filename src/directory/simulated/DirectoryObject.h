#pragma once

#include <cstdint>
#include <string_view>

// One object of a simulated directory tree, kept compact: its texts and values live in
// the model's arena. Index 0 of a tree is the top, which has no name and no class.
//
// The value block is a run of attribute entries, in the order the file gives them:
// attribute id (u32), value count (u32), bytes of the values (u32), then each value as
// its length (u32) and its packed form (ValuePacking.h). Numbers are in host order and
// unaligned.
struct DirectoryObject {
    const char *rdn = nullptr; // the typed relative name, e.g. "CN=jdoe"
    const uint8_t *values = nullptr;
    uint32_t valuesSize = 0;
    uint32_t parent = 0;
    uint32_t attributeCount = 0;
    uint32_t classId = 0;
    uint16_t rdnSize = 0;
    uint16_t typeSize = 0; // bytes before the "=" of rdn

    std::string_view Rdn() const { return {rdn, rdnSize}; }
    std::string_view Value() const { return Rdn().substr(typeSize + 1u); }
    std::string_view Type() const { return Rdn().substr(0, typeSize); }
};
