#pragma once

#include "directory/simulated/DirectoryBuffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The buffers a client hands out, made on the storage of buffers freed before when
// the size is the same: readers allocate and free a request and a result buffer for
// every attribute they read, and every level of a listing holds one more.
class BufferPool
{
public:
    // A new buffer of size bytes; throws std::bad_alloc when memory runs out.
    Buf_T *Allocate(size_t size);
    // Deletes the buffer, keeping its storage for a later one.
    void Free(Buf_T *buffer);

private:
    static constexpr size_t SpareCount = 8;

    struct Spare {
        size_t size = 0;
        std::unique_ptr<uint8_t[]> bytes;
    };
    std::vector<Spare> spare_;
};
