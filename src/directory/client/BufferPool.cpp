#include "directory/client/BufferPool.h"

#include "directory/client/Poisoning.h"

#include <algorithm>

namespace {

// A kept buffer, its object and then its bytes, is marked as not to be touched; made
// usable again in the reverse order.
void Poison(Buf_T *buffer)
{
    Poisoning::Poison(buffer->Bytes(), buffer->Size());
    Poisoning::Poison(buffer, sizeof *buffer);
}

void Unpoison(Buf_T *buffer)
{
    Poisoning::Unpoison(buffer, sizeof *buffer);
    Poisoning::Unpoison(buffer->Bytes(), buffer->Size());
}

} // namespace

BufferPool::~BufferPool()
{
    for (Buf_T *buffer : spare_) {
        Unpoison(buffer);
        delete buffer;
    }
}

Buf_T *BufferPool::Allocate(size_t size)
{
    const auto spare = std::find(sizes_.begin(), sizes_.end(), size);
    if (spare == sizes_.end())
        return new Buf_T(size);
    const auto at = spare - sizes_.begin();
    Buf_T *buffer = spare_[size_t(at)];
    spare_.erase(spare_.begin() + at);
    sizes_.erase(spare);
    Unpoison(buffer);
    *buffer = Buf_T(size, buffer->TakeStorage());
    return buffer;
}

void BufferPool::Free(Buf_T *buffer)
{
    if (!buffer || buffer->Size() == 0 || spare_.size() >= SpareCount) {
        delete buffer;
        return;
    }
    spare_.push_back(buffer);
    sizes_.push_back(buffer->Size());
    Poison(buffer);
}
