#include "directory/ldap/LdapEntryStore.h"

#include <algorithm>
#include <cstring>

uint64_t LdapEntryStore::HashOf(std::string_view key)
{
    // FNV-1a: the keys are DNs that differ in their first part.
    uint64_t hash = 14695981039346656037ull;
    for (const char c : key)
        hash = (hash ^ uint8_t(c)) * 1099511628211ull;
    return hash;
}

uint8_t *LdapEntryStore::At(uint32_t place) const
{
    return chunks_[(place >> 24) - 1].get() + (place & 0xFFFFFF);
}

std::string_view LdapEntryStore::KeyOf(const uint8_t *kept)
{
    uint32_t size = 0;
    std::memcpy(&size, kept, sizeof size);
    return {reinterpret_cast<const char *>(kept + sizeof size), size};
}

std::string_view LdapEntryStore::BlockOf(const uint8_t *kept)
{
    const std::string_view key = KeyOf(kept);
    const uint8_t *at = reinterpret_cast<const uint8_t *>(key.data() + key.size());
    uint32_t size = 0;
    std::memcpy(&size, at, sizeof size);
    return {reinterpret_cast<const char *>(at + sizeof size), size};
}

size_t LdapEntryStore::SlotOf(std::string_view key, uint64_t hash) const
{
    const size_t mask = slots_.size() - 1;
    const uint32_t high = uint32_t(hash >> 32);
    for (size_t at = size_t(hash) & mask;; at = (at + 1) & mask) {
        const Slot &slot = slots_[at];
        if (slot.place == 0 || (slot.hash == high && KeyOf(At(slot.place)) == key))
            return at;
    }
}

void LdapEntryStore::Grow()
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    for (const Slot &slot : old) {
        if (slot.place != 0) {
            const std::string_view key = KeyOf(At(slot.place));
            slots_[SlotOf(key, HashOf(key))] = slot;
        }
    }
}

uint32_t LdapEntryStore::Place(size_t size)
{
    if (current_ != 0 && size <= ChunkBytes - used_) {
        const uint32_t place = uint32_t(current_ << 24 | used_);
        used_ += size;
        return place;
    }
    if (chunks_.size() >= MaxChunks)
        return 0;
    // An entry larger than a chunk has one of its own; the chunk being filled stays.
    chunks_.push_back(std::make_unique_for_overwrite<uint8_t[]>(std::max(size, ChunkBytes)));
    if (size > ChunkBytes)
        return uint32_t(chunks_.size() << 24);
    current_ = chunks_.size();
    used_ = size;
    return uint32_t(current_ << 24);
}

bool LdapEntryStore::Keep(std::string_view key, std::string_view block)
{
    if (key.size() > UINT32_MAX || block.size() > UINT32_MAX)
        return false;
    const uint64_t hash = HashOf(key);
    if (!slots_.empty() && slots_[SlotOf(key, hash)].place != 0)
        return true;
    const size_t bytes = 2 * sizeof(uint32_t) + key.size() + block.size();
    const bool grow = 2 * (count_ + 1) > slots_.size();
    const size_t table = (grow ? std::max<size_t>(1024, 2 * slots_.size()) : slots_.size()) * sizeof(Slot);
    if (bytes_ + bytes + table > capacity_)
        return false;
    const uint32_t place = Place(bytes);
    if (place == 0)
        return false;
    if (grow)
        Grow();
    uint8_t *at = At(place);
    const uint32_t keySize = uint32_t(key.size());
    const uint32_t blockSize = uint32_t(block.size());
    std::memcpy(at, &keySize, sizeof keySize);
    std::memcpy(at + sizeof keySize, key.data(), key.size());
    at += sizeof keySize + key.size();
    std::memcpy(at, &blockSize, sizeof blockSize);
    if (!block.empty())
        std::memcpy(at + sizeof blockSize, block.data(), block.size());
    slots_[SlotOf(key, hash)] = {place, uint32_t(hash >> 32)};
    bytes_ += bytes;
    ++count_;
    return true;
}

std::optional<std::string_view> LdapEntryStore::Find(std::string_view key) const
{
    if (slots_.empty())
        return std::nullopt;
    const Slot &slot = slots_[SlotOf(key, HashOf(key))];
    if (slot.place == 0)
        return std::nullopt;
    return BlockOf(At(slot.place));
}

void LdapEntryStore::Clear()
{
    slots_ = {};
    chunks_.clear();
    current_ = 0;
    used_ = 0;
    bytes_ = 0;
    count_ = 0;
}
