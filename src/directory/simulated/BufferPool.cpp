#include "directory/simulated/BufferPool.h"

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#define VELTRANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELTRANE_ASAN 1
#endif
#endif
#ifdef VELTRANE_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

// A kept buffer, its object and then its bytes, is marked as not to be touched; made
// usable again in the reverse order.
void Poison(Buf_T *buffer)
{
#ifdef VELTRANE_ASAN
    ASAN_POISON_MEMORY_REGION(buffer->Bytes(), buffer->Size());
    ASAN_POISON_MEMORY_REGION(buffer, sizeof *buffer);
#else
    (void)buffer;
#endif
}

void Unpoison(Buf_T *buffer)
{
#ifdef VELTRANE_ASAN
    ASAN_UNPOISON_MEMORY_REGION(buffer, sizeof *buffer);
    ASAN_UNPOISON_MEMORY_REGION(buffer->Bytes(), buffer->Size());
#else
    (void)buffer;
#endif
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
