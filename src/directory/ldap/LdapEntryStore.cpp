#include "directory/ldap/LdapEntryStore.h"

#include "directory/client/TextHash.h"

#include <algorithm>
#include <cstring>

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
    const uint32_t high = uint32_t(hash >> 32);
    return slots_.Probe(hash, [&](const Slot &slot) { return slot.hash == high && KeyOf(At(slot.place)) == key; });
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
    const uint64_t hash = TextHash::Of(key);
    if (!slots_.Empty() && slots_[SlotOf(key, hash)].place != 0)
        return true;
    const size_t bytes = 2 * sizeof(uint32_t) + key.size() + block.size();
    if (bytes_ + bytes + slots_.SizeFor(count_ + 1) * sizeof(Slot) > capacity_)
        return false;
    const uint32_t place = Place(bytes);
    if (place == 0)
        return false;
    slots_.Reserve(count_ + 1, [this](const Slot &slot) { return TextHash::Of(KeyOf(At(slot.place))); });
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
    if (slots_.Empty())
        return std::nullopt;
    const Slot &slot = slots_[SlotOf(key, TextHash::Of(key))];
    if (slot.place == 0)
        return std::nullopt;
    return BlockOf(At(slot.place));
}

void LdapEntryStore::Clear()
{
    slots_.Clear();
    chunks_.clear();
    current_ = 0;
    used_ = 0;
    bytes_ = 0;
    count_ = 0;
}
