#include "directory/simulated/NameIndex.h"

#include "directory/simulated/CaseFold.h"

uint64_t NameIndex::HashOf(uint32_t parent, std::string_view value)
{
    uint64_t hash = CaseFold::Hash(value) ^ (uint64_t(parent) * 0x9E3779B97F4A7C15ULL);
    hash ^= hash >> 31;
    hash *= 0xBF58476D1CE4E5B9ULL;
    return hash ^ (hash >> 32);
}

uint32_t NameIndex::Find(const std::vector<DirectoryObject> &objects, uint32_t parent, std::string_view value) const
{
    if (slots_.empty())
        return 0;
    const size_t mask = slots_.size() - 1;
    for (size_t at = size_t(HashOf(parent, value)) & mask;; at = (at + 1) & mask) {
        const uint32_t candidate = slots_[at];
        if (candidate == 0)
            return 0;
        const DirectoryObject &object = objects[candidate];
        if (object.parent == parent && CaseFold::Equal(object.Value(), value))
            return candidate;
    }
}

void NameIndex::Insert(const std::vector<DirectoryObject> &objects, uint32_t index)
{
    if ((used_ + 1) * 2 > slots_.size())
        Grow(objects);
    const size_t mask = slots_.size() - 1;
    const DirectoryObject &object = objects[index];
    size_t at = size_t(HashOf(object.parent, object.Value())) & mask;
    while (slots_[at] != 0)
        at = (at + 1) & mask;
    slots_[at] = index;
    ++used_;
}

void NameIndex::Grow(const std::vector<DirectoryObject> &objects)
{
    std::vector<uint32_t> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
    used_ = 0;
    for (const uint32_t index : old) {
        if (index != 0)
            Insert(objects, index);
    }
}
