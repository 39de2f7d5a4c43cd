#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// A hash table of open addressing with linear probing, for tables that keep small slots
// (an index, a place) and find their keys elsewhere. An empty slot equals Slot{}; the
// slots are a power of two in number, 1,024 at least, and at most half full.
template <class Slot> class OpenTable
{
public:
    bool Empty() const { return slots_.empty(); }
    size_t Size() const { return slots_.size(); }
    // The number of slots the table will have once it holds count entries.
    size_t SizeFor(size_t count) const
    {
        size_t size = slots_.empty() ? 1024 : slots_.size();
        while (2 * count > size)
            size *= 2;
        return size;
    }

    // Where probing from hash stops: the first slot that matches (match(slot) is true),
    // or the empty slot where an entry of that hash would go. The table must not be
    // empty.
    template <class Match> size_t Probe(uint64_t hash, Match match) const
    {
        const size_t mask = slots_.size() - 1;
        for (size_t at = size_t(hash) & mask;; at = (at + 1) & mask) {
            const Slot &slot = slots_[at];
            if (slot == Slot{} || match(slot))
                return at;
        }
    }

    Slot &operator[](size_t at) { return slots_[at]; }
    const Slot &operator[](size_t at) const { return slots_[at]; }

    // Makes room for count entries, placing each entry again by hashOf(slot) when the
    // table grows.
    template <class HashOf> void Reserve(size_t count, HashOf hashOf)
    {
        const size_t size = SizeFor(count);
        if (size == slots_.size())
            return;
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size, Slot{}));
        for (const Slot &slot : old) {
            if (slot != Slot{})
                slots_[Probe(hashOf(slot), [](const Slot &) { return false; })] = slot;
        }
    }

    void Clear() { slots_ = {}; }

private:
    std::vector<Slot> slots_;
};
