#pragma once

#include <cstddef>

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

// Memory kept for later use is marked as not to be touched under AddressSanitizer, so
// that a use of it meanwhile is caught as a use of freed memory would be; elsewhere
// these do nothing.
namespace Poisoning {

inline void Poison(const void *bytes, size_t size)
{
#ifdef VELTRANE_ASAN
    ASAN_POISON_MEMORY_REGION(bytes, size);
#else
    (void)bytes;
    (void)size;
#endif
}

inline void Unpoison(const void *bytes, size_t size)
{
#ifdef VELTRANE_ASAN
    ASAN_UNPOISON_MEMORY_REGION(bytes, size);
#else
    (void)bytes;
    (void)size;
#endif
}

} // namespace Poisoning
