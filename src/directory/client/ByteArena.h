#pragma once

// Stable storage for the many small texts and value blocks of a directory: bytes are
// copied into large chunks that never move, so the pointers handed out stay valid for
// the arena's life. Nothing is freed before the arena.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class ByteArena
{
public:
    ByteArena() = default;
    ByteArena(const ByteArena &) = delete;
    ByteArena &operator=(const ByteArena &) = delete;
    ByteArena(ByteArena &&) = default;
    ByteArena &operator=(ByteArena &&) = default;

    // A copy of the bytes; null for an empty range.
    const uint8_t *Store(const void *bytes, size_t size);
    const char *Store(std::string_view text) { return reinterpret_cast<const char *>(Store(text.data(), text.size())); }

private:
    static constexpr size_t ChunkBytes = size_t(16) << 20;

    std::vector<std::unique_ptr<uint8_t[]>> chunks_;
    uint8_t *free_ = nullptr;
    size_t left_ = 0;
};
