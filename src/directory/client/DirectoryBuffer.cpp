#include "directory/client/DirectoryBuffer.h"

#include <cstring>

Buf_T::Buf_T(size_t size) : data_(std::make_unique_for_overwrite<uint8_t[]>(size)), size_(size) {}

Buf_T::Buf_T(size_t size, std::unique_ptr<uint8_t[]> storage) : data_(std::move(storage)), size_(size) {}

std::unique_ptr<uint8_t[]> Buf_T::TakeStorage()
{
    size_ = 0;
    length_ = 0;
    return std::move(data_);
}

void Buf_T::Start(Content newContent, uint32_t newOperation)
{
    content = newContent;
    operation = newOperation;
    length_ = 0;
    cursor_ = 0;
    entryEnd_ = 0;
    nextEntry_ = 0;
    entriesLeft_ = 0;
    itemsLeft = 0;
    listsLeft = 0;
    itemSyntax = 0;
    itemAttribute = {};
    tree = -1;
    object = -1;
    // The count is the one thing every buffer holds; a buffer of fewer than four
    // bytes is left empty and every put fails.
    PutU32(0);
}

bool Buf_T::PutBytes(const void *bytes, size_t size)
{
    if (size > size_ - length_)
        return false;
    if (size > 0)
        std::memcpy(data_.get() + length_, bytes, size);
    length_ += size;
    return true;
}

bool Buf_T::PutText(std::string_view text)
{
    if (text.size() > UINT16_MAX || sizeof(uint16_t) + text.size() > size_ - length_)
        return false;
    const uint16_t size = uint16_t(text.size());
    PutBytes(&size, sizeof size);
    PutBytes(text.data(), text.size());
    return true;
}

bool Buf_T::BeginEntry(size_t &mark)
{
    mark = length_;
    return PutU32(0);
}

void Buf_T::EndEntry(size_t mark)
{
    PatchU32(mark, uint32_t(length_ - mark - sizeof(uint32_t)));
    PatchU32(0, ReadU32At(0) + 1);
}

uint8_t *Buf_T::Append(size_t size)
{
    if (size > size_ - length_)
        return nullptr;
    uint8_t *at = data_.get() + length_;
    length_ += size;
    return at;
}

bool Buf_T::NextName(size_t &offset, std::string_view &name) const
{
    if (offset == 0)
        offset = sizeof(uint32_t);
    uint16_t size = 0;
    if (offset + sizeof size > length_)
        return false;
    std::memcpy(&size, data_.get() + offset, sizeof size);
    if (size > length_ - offset - sizeof size)
        return false;
    name = {reinterpret_cast<const char *>(data_.get() + offset + sizeof size), size};
    offset += sizeof size + size;
    return true;
}

void Buf_T::PatchU32(size_t offset, uint32_t value)
{
    if (offset + sizeof value <= length_)
        std::memcpy(data_.get() + offset, &value, sizeof value);
}

uint32_t Buf_T::ReadU32At(size_t offset) const
{
    uint32_t value = 0;
    if (offset + sizeof value <= length_)
        std::memcpy(&value, data_.get() + offset, sizeof value);
    return value;
}

bool Buf_T::GetBytes(size_t size, const uint8_t *&bytes)
{
    if (size > entryEnd_ - cursor_)
        return false;
    bytes = data_.get() + cursor_;
    cursor_ += size;
    return true;
}

bool Buf_T::GetU32(uint32_t &value)
{
    const uint8_t *bytes = nullptr;
    if (!GetBytes(sizeof value, bytes))
        return false;
    std::memcpy(&value, bytes, sizeof value);
    return true;
}

bool Buf_T::GetText(std::string_view &text)
{
    const uint8_t *bytes = nullptr;
    uint16_t size = 0;
    if (!GetBytes(sizeof size, bytes))
        return false;
    std::memcpy(&size, bytes, sizeof size);
    if (!GetBytes(size, bytes))
        return false;
    text = {reinterpret_cast<const char *>(bytes), size};
    return true;
}

uint32_t Buf_T::Count()
{
    entriesLeft_ = ReadU32At(0);
    nextEntry_ = sizeof(uint32_t);
    cursor_ = nextEntry_;
    entryEnd_ = nextEntry_;
    itemsLeft = 0;
    listsLeft = 0;
    return entriesLeft_;
}

bool Buf_T::NextEntry()
{
    if (entriesLeft_ == 0 || nextEntry_ + sizeof(uint32_t) > length_)
        return false;
    uint32_t size = 0;
    std::memcpy(&size, data_.get() + nextEntry_, sizeof size);
    cursor_ = nextEntry_ + sizeof size;
    entryEnd_ = size <= length_ - cursor_ ? cursor_ + size : length_;
    nextEntry_ = entryEnd_;
    --entriesLeft_;
    itemsLeft = 0;
    listsLeft = 0;
    return true;
}
