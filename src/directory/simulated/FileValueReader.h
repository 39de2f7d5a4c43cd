#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class DirectoryFileCursor;

// Reads one attribute value of a directory file, in the JSON form of its syntax, into
// its packed form (ValuePacking.h).
class FileValueReader
{
public:
    explicit FileValueReader(DirectoryFileCursor &cursor) : cursor_(cursor) {}

    // Reads the value the cursor is on and appends its packed form to block. A fault of
    // the file throws JsonCursor::Error.
    void Read(uint32_t syntax, std::string &block);

    // Writes value as the u32 at offset of block, where a placeholder was appended; a
    // value beyond 32 bits is a fault of the file. Inline, as it runs for every value.
    void Patch(std::string &block, size_t offset, size_t value)
    {
        if (value > UINT32_MAX)
            FailTooLarge();
        const uint32_t number = uint32_t(value);
        std::memcpy(block.data() + offset, &number, sizeof number);
    }

private:
    [[noreturn]] void FailTooLarge() const;
    std::string_view AnyValueBytes();
    std::string ReadBytesForm(const std::string &what);

    DirectoryFileCursor &cursor_;
};
