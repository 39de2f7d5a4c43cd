#pragma once

#include "directory/simulated/ByteArena.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Entry blocks (LdapEntryBlock) kept by key within a bound on the memory they take:
// each key with its block in an arena, found through a table of open addressing, so that
// a million entries cost little besides their bytes. Nothing is dropped before Clear, and
// a block found stays where it is until then.
class LdapEntryStore
{
public:
    explicit LdapEntryStore(size_t capacity) : capacity_(capacity) {}

    // Keeps a block under its key (a key kept before keeps its block); false when the
    // memory allowed is used up.
    bool Keep(std::string_view key, std::string_view block);
    std::optional<std::string_view> Find(std::string_view key) const;
    // Forgets every block and frees their memory.
    void Clear();

private:
    struct Slot {
        const uint8_t *kept = nullptr; // key size, key, block size, block (sizes: 4 bytes)
        uint64_t hash = 0;
    };
    static uint64_t HashOf(std::string_view key);
    static std::string_view KeyOf(const uint8_t *kept);
    static std::string_view BlockOf(const uint8_t *kept);
    // The slot of key, or the empty one where it would go.
    size_t SlotOf(std::string_view key, uint64_t hash) const;
    void Grow();

    size_t capacity_;
    size_t bytes_ = 0; // in the arena
    size_t count_ = 0;
    ByteArena arena_;
    std::string scratch_;     // the entry being kept
    std::vector<Slot> slots_; // a power of two in size, at most half full
};
