#include "directory/simulated/NameIndex.h"

#include "directory/client/CaseFold.h"

uint64_t NameIndex::HashOf(uint32_t parent, std::string_view value)
{
    uint64_t hash = CaseFold::Hash(value) ^ (uint64_t(parent) * 0x9E3779B97F4A7C15ULL);
    hash ^= hash >> 31;
    hash *= 0xBF58476D1CE4E5B9ULL;
    return hash ^ (hash >> 32);
}

uint32_t NameIndex::Find(const std::vector<DirectoryObject> &objects, uint32_t parent, std::string_view value) const
{
    if (slots_.Empty())
        return 0;
    const auto same = [&](uint32_t candidate) {
        const DirectoryObject &object = objects[candidate];
        return object.parent == parent && CaseFold::Equal(object.Value(), value);
    };
    return slots_[slots_.Probe(HashOf(parent, value), same)];
}

void NameIndex::Insert(const std::vector<DirectoryObject> &objects, uint32_t index)
{
    const auto hashOf = [&objects](uint32_t kept) { return HashOf(objects[kept].parent, objects[kept].Value()); };
    slots_.Reserve(used_ + 1, hashOf);
    slots_[slots_.Probe(hashOf(index), [](uint32_t) { return false; })] = index;
    ++used_;
}
