#include "directory/client/ByteArena.h"

#include <cstring>

const uint8_t *ByteArena::Store(const void *bytes, size_t size)
{
    if (size == 0)
        return nullptr;
    if (size > left_) {
        // A block larger than a chunk gets a chunk of its own; the current chunk keeps
        // serving the small ones.
        const size_t chunk = size > ChunkBytes / 4 ? size : ChunkBytes;
        chunks_.push_back(std::make_unique_for_overwrite<uint8_t[]>(chunk));
        if (chunk == size) {
            std::memcpy(chunks_.back().get(), bytes, size);
            return chunks_.back().get();
        }
        free_ = chunks_.back().get();
        left_ = chunk;
    }
    uint8_t *at = free_;
    std::memcpy(at, bytes, size);
    free_ += size;
    left_ -= size;
    return at;
}
