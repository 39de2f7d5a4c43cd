#pragma once

#include "directory/client/DirectoryBuffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The buffers a client hands out, made again from buffers freed before when the size is
// the same: readers allocate and free a request and a result buffer for every attribute
// they read, and every level of a listing holds one more. Under AddressSanitizer a
// buffer kept for later is poisoned, so that a use after its release is still caught.
class BufferPool
{
public:
    BufferPool() = default;
    BufferPool(const BufferPool &) = delete;
    BufferPool &operator=(const BufferPool &) = delete;
    ~BufferPool();

    // A new buffer of size bytes; throws std::bad_alloc when memory runs out.
    Buf_T *Allocate(size_t size);
    // Releases the buffer, keeping it for a later one.
    void Free(Buf_T *buffer);

private:
    static constexpr size_t SpareCount = 8;

    std::vector<Buf_T *> spare_; // owned, poisoned
    std::vector<size_t> sizes_;  // their sizes
};
