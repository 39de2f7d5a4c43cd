#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class DirectoryFileCursor;

// Reads the members of one JSON object whose member names are known in advance,
// refusing unknown and repeated ones (which catches misspelt names).
class JsonMembers
{
public:
    // Begins the object the cursor is on. known must outlive the reader and hold at most
    // 64 names.
    JsonMembers(DirectoryFileCursor &cursor, std::span<const std::string_view> known);

    // The index in known of the next member's name, the cursor then on its value; -1 at
    // the end of the object.
    int Next();

    // Whether the member known[index] was read.
    bool Seen(int index) const { return (seen_ & (uint64_t(1) << index)) != 0; }

private:
    DirectoryFileCursor &cursor_;
    std::span<const std::string_view> known_;
    std::string scratch_;
    bool first_ = true;
    uint64_t seen_ = 0;
};
