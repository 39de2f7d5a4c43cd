#include "directory/simulated/JsonMembers.h"

#include "directory/simulated/DirectoryFileCursor.h"

JsonMembers::JsonMembers(DirectoryFileCursor &cursor, std::span<const std::string_view> known)
    : cursor_(cursor), known_(known)
{
    cursor_.BeginObject();
}

int JsonMembers::Next()
{
    if (!cursor_.NextMember(first_))
        return -1;
    const size_t at = cursor_.Offset();
    const std::string_view key = cursor_.Key(scratch_);
    for (size_t i = 0; i < known_.size(); ++i) {
        if (known_[i] == key) {
            if (seen_ & (uint64_t(1) << i))
                cursor_.FailAt(at, "member " + DirectoryFileCursor::Quoted(key) + " is given twice");
            seen_ |= uint64_t(1) << i;
            return int(i);
        }
    }
    cursor_.FailAt(at, "unknown member " + DirectoryFileCursor::Quoted(key));
}
