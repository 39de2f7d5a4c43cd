#include "directory/ValueArea.h"

#include "directory/client/Poisoning.h"

#include <algorithm>

namespace {
// Most records are small: the first area holds them all.
constexpr size_t FirstCapacity = 256;
} // namespace

ValueArea::~ValueArea()
{
    Poisoning::Unpoison(bytes_.get(), capacity_);
}

std::byte *ValueArea::Get(size_t size)
{
    if (size > capacity_) {
        Poisoning::Unpoison(bytes_.get(), capacity_);
        bytes_.reset();
        capacity_ = 0;
        bytes_ = std::make_unique_for_overwrite<std::byte[]>(std::max(size, FirstCapacity));
        capacity_ = std::max(size, FirstCapacity);
    }
    Poisoning::Unpoison(bytes_.get(), size);
    Poisoning::Poison(bytes_.get() + size, capacity_ - size);
    return bytes_.get();
}
