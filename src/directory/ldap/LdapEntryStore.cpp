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
    for (size_t at = size_t(hash) & mask;; at = (at + 1) & mask) {
        const Slot &slot = slots_[at];
        if (!slot.kept || (slot.hash == hash && KeyOf(slot.kept) == key))
            return at;
    }
}

void LdapEntryStore::Grow()
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    for (const Slot &slot : old) {
        if (slot.kept)
            slots_[SlotOf(KeyOf(slot.kept), slot.hash)] = slot;
    }
}

bool LdapEntryStore::Keep(std::string_view key, std::string_view block)
{
    if (key.size() > UINT32_MAX || block.size() > UINT32_MAX)
        return false;
    const uint64_t hash = HashOf(key);
    if (!slots_.empty() && slots_[SlotOf(key, hash)].kept)
        return true;
    const size_t bytes = 2 * sizeof(uint32_t) + key.size() + block.size();
    const bool grow = 2 * (count_ + 1) > slots_.size();
    const size_t table = (grow ? std::max<size_t>(1024, 2 * slots_.size()) : slots_.size()) * sizeof(Slot);
    if (bytes_ + bytes + table > capacity_)
        return false;
    if (grow)
        Grow();
    const uint32_t keySize = uint32_t(key.size());
    const uint32_t blockSize = uint32_t(block.size());
    scratch_.clear();
    scratch_.append(reinterpret_cast<const char *>(&keySize), sizeof keySize).append(key);
    scratch_.append(reinterpret_cast<const char *>(&blockSize), sizeof blockSize).append(block);
    slots_[SlotOf(key, hash)] = {arena_.Store(scratch_.data(), scratch_.size()), hash};
    bytes_ += bytes;
    ++count_;
    return true;
}

std::optional<std::string_view> LdapEntryStore::Find(std::string_view key) const
{
    if (slots_.empty())
        return std::nullopt;
    const Slot &slot = slots_[SlotOf(key, HashOf(key))];
    if (!slot.kept)
        return std::nullopt;
    return BlockOf(slot.kept);
}

void LdapEntryStore::Clear()
{
    slots_ = {};
    arena_ = ByteArena();
    bytes_ = 0;
    count_ = 0;
}
