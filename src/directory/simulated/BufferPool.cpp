#include "directory/simulated/BufferPool.h"

#include <algorithm>

Buf_T *BufferPool::Allocate(size_t size)
{
    const auto spare =
        std::find_if(spare_.begin(), spare_.end(), [size](const Spare &storage) { return storage.size == size; });
    if (spare == spare_.end())
        return new Buf_T(size);
    Buf_T *buffer = new Buf_T(size, std::move(spare->bytes));
    spare_.erase(spare);
    return buffer;
}

void BufferPool::Free(Buf_T *buffer)
{
    if (buffer && buffer->Size() > 0 && spare_.size() < SpareCount) {
        const size_t size = buffer->Size();
        spare_.push_back({size, buffer->TakeStorage()});
    }
    delete buffer;
}
