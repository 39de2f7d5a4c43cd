#pragma once

#include "directory/client/OpenTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Entry blocks (LdapEntryBlock) kept by key within a bound on the memory they take:
// each key with its block in chunks of its own, found through a table of open
// addressing whose slots take 8 bytes, so that a million entries cost little besides
// their bytes. Nothing is dropped before Clear, and a block found stays where it is
// until then.
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
    // Where an entry lies: its chunk (counted from 1, 0 for an empty slot) in the top
    // byte, its offset in the chunk below; with the top half of its key's hash.
    struct Slot {
        uint32_t place = 0;
        uint32_t hash = 0;
        bool operator==(const Slot &) const = default;
    };
    static constexpr size_t ChunkBytes = size_t(1) << 24;
    static constexpr size_t MaxChunks = 255;

    uint8_t *At(uint32_t place) const;
    static std::string_view KeyOf(const uint8_t *kept);
    static std::string_view BlockOf(const uint8_t *kept);
    // The slot of key, or the empty one where it would go.
    size_t SlotOf(std::string_view key, uint64_t hash) const;
    // Room for an entry of size bytes; 0 when there are chunks no more.
    uint32_t Place(size_t size);

    size_t capacity_;
    size_t bytes_ = 0; // of the entries
    size_t count_ = 0;
    std::vector<std::unique_ptr<uint8_t[]>> chunks_;
    size_t current_ = 0; // the chunk entries go in, counted from 1
    size_t used_ = 0;    // in it
    OpenTable<Slot> slots_;
};
